#include "SerialCommKey.h"

namespace {

constexpr wchar_t kPath[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr char kPathA[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

HKEY Create()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

std::wstring FromCodePage932(const std::string& text)
{
    const int length = static_cast<int>(text.size());
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(932, 0, text.data(), length, &wide[0], length)));
    return wide;
}

} // namespace

SerialCommKey::SerialCommKey()
{
    HKEY key = nullptr;
    existed = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPath, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (!existed)
        return;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        Value value{std::wstring(name, nameLength), type, std::vector<BYTE>(size)};
        RegQueryValueExW(key, value.name.c_str(), nullptr, nullptr, value.data.data(), &size);
        saved.push_back(value);
    }
    RegCloseKey(key);
}

SerialCommKey::~SerialCommKey()
{
    if (!existed) {
        Remove();
        return;
    }
    Clear();
    HKEY key = Create();
    for (const Value& value : saved)
        RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
}

bool SerialCommKey::Clear()
{
    if (!Remove())
        return false;
    const HKEY key = Create();
    return key && RegCloseKey(key) == ERROR_SUCCESS;
}

bool SerialCommKey::Remove()
{
    const LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kPathA);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool SerialCommKey::Set(const std::string& name, DWORD type, const std::string& data)
{
    HKEY key = Create();
    if (!key)
        return false;
    // Wine's RegSetValueExA counts in a NUL that directly follows string data, so the data is
    // handed over with a byte after it that is none.
    const std::string guarded = data + '\xFF';
    const LONG result = RegSetValueExA(key, name.c_str(), 0, type,
                                       reinterpret_cast<const BYTE*>(guarded.data()),
                                       static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool SerialCommKey::SetPort(const std::string& name, const std::string& port)
{
    return SetPort(name, FromCodePage932(port));
}

bool SerialCommKey::SetPort(const std::string& name, const std::wstring& port)
{
    HKEY key = Create();
    if (!key)
        return false;
    const LONG result = RegSetValueExW(key, FromCodePage932(name).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(port.c_str()),
                                       static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}
