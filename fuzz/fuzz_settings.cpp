// Reads arbitrary INI text as the settings file, and writes the remembered locations into it: values read are cut to
// 499 characters and ignore the letter case of names, the locations follow the rules for missing folders and files,
// the values written read back, and every other key keeps its value.
//
// Input: three random-length strings (the folder, the key file path and the key file name to remember), then the
// INI text.

#include "FuzzCheck.h"

#include "core/Settings.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

using core::FileLocations;
using core::PathProbe;
using core::Settings;

namespace {

const std::string kProgramFolder = "/opt/tarnwick";

constexpr std::array<const char*, 3> kSections{"FileLocations", "Other", "fileLOCATIONS "};
constexpr std::array<const char*, 5> kKeys{"KeyFilesFolder", "KeyFilePath", "KeyFileName", "x", "keyfilepath2"};

bool isLocationKey(std::string_view key)
{
    return key == "KeyFilesFolder" || key == "KeyFilePath" || key == "KeyFileName";
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; });
    return text;
}

bool endsWithIgnoringCase(const std::string& text, const std::string& end)
{
    return end.size() <= text.size() && upper(text.substr(text.size() - end.size())) == upper(end);
}

PathProbe probeOf(const std::set<std::string>& folders, const std::set<std::string>& files)
{
    return PathProbe{[folders](const std::string& path) { return folders.count(path) > 0; },
        [files](const std::string& path) { return files.count(path) > 0; }};
}

// The locations that optionsGet must give for values read as `folder`, `path` and `name`.
FileLocations expectedLocations(const std::string& folder, const std::string& path, const std::string& name,
    const std::set<std::string>& folders, const std::set<std::string>& files)
{
    FileLocations loc;
    loc.keyFilesFolder = folders.count(folder) > 0 ? folder : kProgramFolder;
    if (path.empty() || files.count(path) == 0)
        return loc;
    loc.keyFilePath = path;
    loc.keyFileName = name;
    if (!endsWithIgnoringCase(path, name)) {
        const std::size_t slash = path.find_last_of("\\/");
        if (slash != std::string::npos)
            loc.keyFileName = path.substr(slash + 1);
    }
    return loc;
}

bool operator==(const FileLocations& a, const FileLocations& b)
{
    return a.keyFilesFolder == b.keyFilesFolder && a.keyFilePath == b.keyFilePath && a.keyFileName == b.keyFileName;
}

// A value that a settings file can hold as it is: one line without NUL bytes, no spaces or tabs at either end (the
// reader drops them), not enclosed in a pair of quotes (the reader drops one pair), at most 499 characters.
std::string storableValue(std::string text)
{
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    if (text.size() > Settings::MaxValueLength)
        text.resize(Settings::MaxValueLength);
    for (;;) {
        const std::size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos)
            return {};
        text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
        const bool quoted
            = text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front();
        if (!quoted)
            return text;
        text.pop_back();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string folder = storableValue(input.ConsumeRandomLengthString(600));
    const std::string path = storableValue(input.ConsumeRandomLengthString(600));
    const std::string name = storableValue(input.ConsumeRandomLengthString(600));
    const std::string ini = input.ConsumeRemainingBytesAsString();

    // Reading: a key gives its value or, when missing, the fallback; names ignore letter case; nothing is longer
    // than 499 characters.
    for (const char* section : kSections) {
        for (const char* key : kKeys) {
            const std::string value = Settings::readValue(ini, section, key, "");
            const std::string withFallback = Settings::readValue(ini, section, key, "<missing>");
            FUZZ_CHECK(value.size() <= Settings::MaxValueLength);
            FUZZ_CHECK(withFallback == value || (withFallback == "<missing>" && value.empty()));
            FUZZ_CHECK(
                Settings::readValue(ini, upper(section).c_str(), upper(key).c_str(), "<missing>") == withFallback);
        }
    }
    const std::string longFallback(700, 'f');
    // A key name with a line end in it cannot stand in a file.
    const std::string missing = Settings::readValue(ini, "FileLocations", "No\nSuchKey", longFallback);
    FUZZ_CHECK(missing == longFallback.substr(0, Settings::MaxValueLength));

    // The locations of the INI text as it is, with a few folders and files that exist.
    const std::set<std::string> someFolders{Settings::DefaultKeyFilesFolder, "D:\\Keys", "/home/pilot"};
    const std::set<std::string> someFiles{"D:\\Keys\\BMS - Full.key", "/home/pilot/a.key", "a.key"};
    const FileLocations read = Settings::optionsGet(ini, kProgramFolder, probeOf(someFolders, someFiles));
    FUZZ_CHECK(read
        == expectedLocations(
            Settings::readValue(ini, Settings::Section, "KeyFilesFolder", Settings::DefaultKeyFilesFolder),
            Settings::readValue(ini, Settings::Section, "KeyFilePath", ""),
            Settings::readValue(ini, Settings::Section, "KeyFileName", ""), someFolders, someFiles));

    // Writing the three locations into the text: they read back, and every other key keeps its value.
    const FileLocations saved{folder, path, name};
    const std::string written = Settings::optionsSave(ini, saved);
    FUZZ_CHECK(Settings::readValue(written, Settings::Section, "KeyFilesFolder", "<missing>") == folder);
    FUZZ_CHECK(Settings::readValue(written, Settings::Section, "KeyFilePath", "<missing>") == path);
    FUZZ_CHECK(Settings::readValue(written, Settings::Section, "KeyFileName", "<missing>") == name);
    const std::set<std::string> savedFolders{folder};
    const std::set<std::string> savedFiles{path};
    const FileLocations again = Settings::optionsGet(written, kProgramFolder, probeOf(savedFolders, savedFiles));
    FUZZ_CHECK(again == expectedLocations(folder, path, name, savedFolders, savedFiles));
    if (!path.empty() && (endsWithIgnoringCase(path, name) || path.find_first_of("\\/") == std::string::npos))
        FUZZ_CHECK(again == saved);

    for (const char* section : kSections) {
        for (const char* key : kKeys) {
            if (upper(section) == upper(Settings::Section) && isLocationKey(key))
                continue;
            FUZZ_CHECK(Settings::readValue(written, section, key, "<missing>")
                == Settings::readValue(ini, section, key, "<missing>"));
        }
    }
    return 0;
}
