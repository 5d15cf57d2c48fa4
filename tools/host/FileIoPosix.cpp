// Reading and writing whole files with POSIX descriptors, for the native
// tree's programs: the same contract as the Win32 version (FileIo.cpp).
#include "tools/host/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

class CUniqueFd {
public:
    explicit CUniqueFd(int fd) : m_fd(fd) {}
    ~CUniqueFd() { reset(); }
    CUniqueFd(const CUniqueFd&) = delete;
    CUniqueFd& operator=(const CUniqueFd&) = delete;
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    bool reset() {
        const bool ok = m_fd < 0 || close(m_fd) == 0;
        m_fd = -1;
        return ok;
    }

private:
    int m_fd;
};

std::string LastError() { return std::strerror(errno); }

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    CUniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat about {};
    if (!file || fstat(file.get(), &about) != 0) {
        error = path + ": cannot open it: " + LastError();
        return false;
    }
    if (about.st_size > 0x40000000) {
        error = path + ": too large for a MIDI file (over 1 GiB)";
        return false;
    }
    bytes.resize(static_cast<size_t>(about.st_size));
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t got = read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got <= 0) {
            error = path + ": cannot read it: " + (got == 0 ? "it got shorter" : LastError());
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& error) {
    const std::string part = path + ".part";
    CUniqueFd file(open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file) {
        error = path + ": cannot create it: " + LastError();
        return false;
    }
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t put = write(file.get(), bytes.data() + done, bytes.size() - done);
        ok = put > 0;
        if (ok) done += static_cast<size_t>(put);
    }
    ok = ok && fsync(file.get()) == 0;
    ok = file.reset() && ok;
    if (!ok) {
        error = path + ": cannot write it: " + LastError();
        unlink(part.c_str());
        return false;
    }
    if (rename(part.c_str(), path.c_str()) != 0) {
        error = path + ": cannot put it in place: " + LastError();
        unlink(part.c_str());
        return false;
    }
    return true;
}
