// Reading and writing whole files with Win32 handles.
#include "tools/host/FileIo.h"

#include "common/UniqueHandle.h"
#include "tools/host/HresultText.h"

namespace {

using CUniqueFile = CUniqueHandle<HANDLE, CloseHandle, LONG_PTR{-1}>;  // invalid: INVALID_HANDLE_VALUE

std::string LastError() { return DescribeHresult(HRESULT_FROM_WIN32(GetLastError())); }

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    CUniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
        error = path + ": cannot open it: " + LastError();
        return false;
    }
    if (size.QuadPart > 0x40000000) {
        error = path + ": too large for a MIDI file (over 1 GiB)";
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size())) {
        error = path + ": cannot read it: " + LastError();
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& error) {
    const std::string part = path + ".part";
    {
        CUniqueFile file(CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            error = path + ": cannot create it: " + LastError();
            return false;
        }
        DWORD written = 0;
        const bool ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                  &written, nullptr) &&
                        written == bytes.size() && FlushFileBuffers(file.get());
        if (!ok) {
            error = path + ": cannot write it: " + LastError();
            file.reset();
            DeleteFileA(part.c_str());
            return false;
        }
    }
    if (!MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = path + ": cannot put it in place: " + LastError();
        DeleteFileA(part.c_str());
        return false;
    }
    return true;
}
