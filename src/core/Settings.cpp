#include "Settings.h"

// Debian builds its SimpleIni library with the ICU converter; the header must agree.
#define SI_CONVERT_ICU
#include <SimpleIni.h>

#include <algorithm>

namespace core {

namespace {

void load(CSimpleIniA& ini, std::string_view iniText)
{
    ini.SetUnicode(false);
    ini.SetMultiKey(false);
    ini.SetMultiLine(false);
    ini.SetSpaces(false);
    // A file that does not parse reads as empty: every key then gives its default.
    if (ini.LoadData(iniText.data(), iniText.size()) < 0)
        ini.Reset();
}

std::string toLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

} // namespace

std::string Settings::readValue(
    std::string_view iniText, const char* section, const char* key, const std::string& fallback)
{
    CSimpleIniA ini;
    load(ini, iniText);
    const char* raw = ini.GetValue(section, key, nullptr);
    std::string value = raw ? std::string(raw) : fallback;
    // The profile functions drop one pair of enclosing quotes.
    if (raw && value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > MaxValueLength)
        value.resize(MaxValueLength);
    return value;
}

std::string Settings::writeValue(
    std::string_view iniText, const char* section, const char* key, const std::string& value)
{
    CSimpleIniA ini;
    load(ini, iniText);
    // A value is one line of the file.
    std::string oneLine = value;
    std::replace_if(
        oneLine.begin(), oneLine.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    ini.SetValue(section, key, oneLine.c_str());
    std::string out;
    ini.Save(out, false);
    return out;
}

FileLocations Settings::optionsGet(std::string_view iniText, const std::string& programFolder, const PathProbe& probe)
{
    FileLocations loc;
    loc.keyFilesFolder = readValue(iniText, Section, "KeyFilesFolder", DefaultKeyFilesFolder);
    if (!probe.exists(loc.keyFilesFolder))
        loc.keyFilesFolder = programFolder;

    loc.keyFilePath = readValue(iniText, Section, "KeyFilePath", "");
    if (loc.keyFilePath.empty())
        return loc;
    if (!probe.fileExists(loc.keyFilePath)) {
        loc.keyFilePath.clear();
        return loc;
    }

    loc.keyFileName = readValue(iniText, Section, "KeyFileName", "");
    const std::string& path = loc.keyFilePath;
    const std::string& name = loc.keyFileName;
    const std::string ending = name.size() <= path.size() ? path.substr(path.size() - name.size()) : path;
    if (toLower(ending) != toLower(name)) {
        // The name is the path's last component; both kinds of separator count, for paths written on Linux.
        const auto slash = path.find_last_of("\\/");
        if (slash != std::string::npos)
            loc.keyFileName = path.substr(slash + 1);
    }
    return loc;
}

std::string Settings::optionsSave(std::string_view iniText, const FileLocations& locations)
{
    std::string text(iniText);
    text = writeValue(text, Section, "KeyFilesFolder", locations.keyFilesFolder);
    text = writeValue(text, Section, "KeyFilePath", locations.keyFilePath);
    text = writeValue(text, Section, "KeyFileName", locations.keyFileName);
    return text;
}

} // namespace core
