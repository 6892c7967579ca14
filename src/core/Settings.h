#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace core {

/** The three remembered values of section "FileLocations". */
struct FileLocations
{
    std::string keyFilesFolder;
    std::string keyFilePath;
    std::string keyFileName;
};

/** Existence tests that the settings logic needs; the io layer answers them from the file system. */
struct PathProbe
{
    std::function<bool(const std::string&)> exists; // a file or a folder of that name
    std::function<bool(const std::string&)> fileExists; // a file of that name
};

/**
 * The settings file: Windows profile (INI) semantics over SimpleIni. Section and key names ignore letter case,
 * backslashes are kept as they are, a missing file or key gives the default, a value arrives cut to 499
 * characters, and writing keeps every other section and key of the file.
 */
class Settings
{
public:
    static constexpr const char* FileName = "BremKeyDecode.ini";
    static constexpr const char* Section = "FileLocations";
    static constexpr const char* DefaultKeyFilesFolder = "C:\\Microprose\\Falcon4\\Config";
    static constexpr std::size_t MaxValueLength = 499;

    /** One value from INI text, as the profile functions read it; `fallback` when the key is missing. */
    static std::string readValue(
        std::string_view iniText, const char* section, const char* key, const std::string& fallback);
    /** The INI text with one key set, created with its section where missing; everything else kept. */
    static std::string writeValue(
        std::string_view iniText, const char* section, const char* key, const std::string& value);

    /** Reads the remembered locations: a folder that is gone falls back to `programFolder`, a key file that is
     *  gone is forgotten, a file name that does not end the path is taken from the path. */
    static FileLocations optionsGet(std::string_view iniText, const std::string& programFolder, const PathProbe& probe);
    /** The INI text with the three keys written, in order, empty values included. */
    static std::string optionsSave(std::string_view iniText, const FileLocations& locations);
};

} // namespace core
