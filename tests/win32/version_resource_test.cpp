// Reads the resources of a built TrenoxVK.exe the way Windows' own file properties and loader do,
// and checks the version fields against the project's version, their language, the application
// icon and the manifest. Usage: version_resource_test <exe>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/version.h"
#include "app/win32/resource_ids.h"

namespace {

constexpr WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 0x0409
constexpr WORD kUnicodeCodePage = 1200;
constexpr int kIconSize = 32;
constexpr DWORD kVersionNumbers[] = {TRENOXVK_VERSION_NUMBERS};
constexpr DWORD kVersionMS = MAKELONG(kVersionNumbers[1], kVersionNumbers[0]);
constexpr DWORD kVersionLS = MAKELONG(kVersionNumbers[3], kVersionNumbers[2]);

int failures = 0;

void Check(bool ok, const std::string& what) {
    if (ok) return;
    ++failures;
    std::printf("FAILED: %s\n", what.c_str());
}

// A string of the version block for US English, Unicode; empty when missing.
std::string VersionString(const std::vector<char>& block, const char* name) {
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    char* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) == 0 || value == nullptr)
        return {};
    return std::string(value, strnlen(value, length));
}

void CheckVersionBlock(const char* exe) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe, &ignored);
    Check(size != 0, "the file has a version resource");
    if (size == 0) return;
    std::vector<char> block(size);
    Check(GetFileVersionInfoA(exe, 0, size, block.data()) != 0, "the version resource can be read");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    const bool haveFixed = VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedLength) != 0 &&
                           fixed != nullptr && fixedLength >= sizeof *fixed;
    Check(haveFixed, "the version resource has its fixed part");
    if (haveFixed) {
        Check(fixed->dwSignature == VS_FFI_SIGNATURE, "the fixed part carries its signature");
        Check(fixed->dwFileVersionMS == kVersionMS && fixed->dwFileVersionLS == kVersionLS,
              "file version number " TRENOXVK_VERSION);
        Check(fixed->dwProductVersionMS == kVersionMS && fixed->dwProductVersionLS == kVersionLS,
              "product version number " TRENOXVK_VERSION);
        Check(fixed->dwFileType == VFT_APP, "file type application");
    }

    const struct {
        const char* name;
        const char* expected;
    } strings[] = {{"FileVersion", TRENOXVK_VERSION},
                   {"ProductVersion", TRENOXVK_VERSION},
                   {"InternalName", "TrenoxVK"},
                   {"OriginalFilename", "TrenoxVK.exe"}};
    for (const auto& field : strings) {
        const std::string actual = VersionString(block, field.name);
        Check(actual == field.expected,
              std::string(field.name) + " is \"" + field.expected + "\", found \"" + actual + "\"");
    }

    WORD* translation = nullptr;
    UINT translationLength = 0;
    const bool haveTranslation = VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                                                reinterpret_cast<void**>(&translation), &translationLength) != 0 &&
                                 translation != nullptr && translationLength == 2 * sizeof(WORD);
    Check(haveTranslation, "exactly one translation is declared");
    if (haveTranslation)
        Check(translation[0] == kUsEnglish && translation[1] == kUnicodeCodePage,
              "the translation is US English (0x0409), Unicode (1200)");
}

void CheckResourceLanguageAndIcon(const char* exe) {
    HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    Check(module != nullptr, "the file loads as a resource module");
    if (module == nullptr) return;
    Check(FindResourceExA(module, RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO), kUsEnglish) != nullptr,
          "the version resource is stored in US English");
    Check(FindResourceExA(module, RT_GROUP_ICON, MAKEINTRESOURCEA(TRENOXVK_ICON), kUsEnglish) != nullptr,
          "the icon group is stored in US English");
    HANDLE icon = LoadImageA(module, MAKEINTRESOURCEA(TRENOXVK_ICON), IMAGE_ICON, kIconSize, kIconSize, 0);
    Check(icon != nullptr, "the application icon loads at 32 x 32");
    if (icon != nullptr) DestroyIcon(static_cast<HICON>(icon));

    // The manifest Windows reads when it starts the program: as the invoking user, Windows 7 to 11,
    // scaled for each monitor's DPI by the program itself.
    HRSRC manifest = FindResourceA(module, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    HGLOBAL loaded = manifest != nullptr ? LoadResource(module, manifest) : nullptr;
    Check(loaded != nullptr, "the program carries its application manifest");
    if (loaded != nullptr) {
        const std::string_view text(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, manifest));
        for (const char* part : {"level=\"asInvoker\"", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" /* Windows 10 */,
                                 "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}" /* Windows 7 */, ">true/pm</dpiAware>",
                                 ">PerMonitorV2, PerMonitor</dpiAwareness>"})
            Check(text.find(part) != std::string_view::npos, std::string("the manifest declares ") + part);
    }
    FreeLibrary(module);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::printf("usage: version_resource_test <TrenoxVK.exe>\n");
        return 2;
    }
    CheckVersionBlock(argv[1]);
    CheckResourceLanguageAndIcon(argv[1]);
    std::printf("%s\n", failures == 0 ? "version resource and icon: all fields as expected" : "some checks failed");
    return failures == 0 ? 0 : 1;
}
