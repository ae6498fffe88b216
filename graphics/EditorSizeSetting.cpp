#include "EditorSizeSetting.h"

#include "UserConfig.h"

#include <cctype>
#include <cstring>
#include <string>

namespace toneloom {

namespace {

constexpr char kKey[] = "size=";
constexpr size_t kMaxFileBytes = 256;

bool IsChoice(int percent)
{
    for (const int choice : EditorSizeSetting::kChoices) {
        if (choice == percent) {
            return true;
        }
    }
    return false;
}

} // namespace

int EditorSizeSetting::Parse(const char* text)
{
    if (text == nullptr) {
        return 0;
    }
    const char* at = text;
    while (*at == ' ' || *at == '\t') {
        ++at;
    }
    if (std::strncmp(at, kKey, sizeof kKey - 1) != 0) {
        return 0;
    }
    at += sizeof kKey - 1;
    int value = 0;
    int digits = 0;
    while (std::isdigit(static_cast<unsigned char>(*at)) != 0 && digits < 4) {
        value = value * 10 + (*at - '0');
        ++at;
        ++digits;
    }
    while (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\n') {
        ++at;
    }
    return digits > 0 && *at == '\0' && IsChoice(value) ? value : 0;
}

int EditorSizeSetting::Load()
{
    std::string text;
    if (!UserConfig::Read(kFileName, &text, kMaxFileBytes) ||
        text.find('\0') != std::string::npos) {
        return 0;
    }
    return Parse(text.c_str());
}

bool EditorSizeSetting::Save(int percent)
{
    if (!IsChoice(percent)) {
        return false;
    }
    return UserConfig::Write(kFileName, std::string(kKey) + std::to_string(percent) + "\n");
}

} // namespace toneloom
