#include "playlist/LineFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>
#include <utility>

#include "playlist/LineSplitter.h"

namespace kelto::playlist {

namespace {

// CR LF on Linux too: saved playlists use it, and files written here match them byte for byte.
constexpr std::string_view kLineEnd = "\r\n";
constexpr int kNameAttempts = 100;
constexpr std::size_t kReadBlockSize = 1 << 16;

// Closes the descriptor it holds unless it was handed back with release().
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now so that a late write error (some file systems report it only
    // here) is not lost.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Takes errno first: building the message may itself change it.
bool Fail(std::string* error, const char* what, const std::filesystem::path& path) {
    const int errorNumber = errno;
    if (error != nullptr)
        *error = what + path.string() + ": " + std::generic_category().message(errorNumber);
    return false;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::filesystem::path TemporaryName(const std::filesystem::path& file, int attempt) {
    static std::atomic<unsigned> counter{0};
    const std::string name = "." + file.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                             "-" + std::to_string(counter++) + "-" + std::to_string(attempt);
    return file.parent_path() / name;
}

// Makes the rename itself durable. Failing here does not undo the write, so it
// is best effort.
void SyncFolder(const std::filesystem::path& folder) {
    const std::filesystem::path dir = folder.empty() ? std::filesystem::path(".") : folder;
    FileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) ::fsync(fd.get());
}

}  // namespace

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += kLineEnd;
    }
    return text;
}

bool ForEachLine(const std::filesystem::path& file,
                 const std::function<void(std::string_view line)>& line) {
    // Without O_NONBLOCK, opening a pipe of that name would wait for a writer;
    // it changes nothing for a regular file, the only kind read here.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) return false;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;

    // Block by block into the splitter: holding a long playlist's text whole
    // would cost as much memory again as its lines.
    LineSplitter splitter(line);
    char block[kReadBlockSize];
    for (;;) {
        const ssize_t got = ::read(fd.get(), block, sizeof block);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) break;
        splitter.Feed(std::string_view(block, static_cast<std::size_t>(got)));
    }
    splitter.Finish();
    return true;
}

ReplacementFile::ReplacementFile(std::filesystem::path file, std::filesystem::path temporary)
    : file_(std::move(file)), temporary_(std::move(temporary)) {}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : file_(std::move(other.file_)), temporary_(std::exchange(other.temporary_, {})) {}

ReplacementFile::~ReplacementFile() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

std::optional<ReplacementFile> ReplacementFile::Write(const std::filesystem::path& file,
                                                      const std::vector<std::string>& lines,
                                                      std::string* error) {
    struct stat existing {};
    const bool hadFile = ::stat(file.c_str(), &existing) == 0;

    int fdNumber = -1;
    std::filesystem::path tempPath;
    for (int attempt = 0; attempt < kNameAttempts && fdNumber < 0; ++attempt) {
        tempPath = TemporaryName(file, attempt);
        // 0666 lets the user's umask decide, as for any newly created file.
        fdNumber = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fdNumber < 0 && errno != EEXIST) break;
    }
    if (fdNumber < 0) {
        Fail(error, "cannot create a temporary file next to ", file);
        return std::nullopt;
    }
    FileDescriptor fd(fdNumber);
    ReplacementFile replacement(file, tempPath);

    const char* failure = nullptr;
    if (!WriteAll(fd.get(), JoinLines(lines))) {
        failure = "cannot write ";
    } else if (hadFile && ::fchmod(fd.get(), existing.st_mode & 07777) != 0) {
        failure = "cannot set the permissions of ";
    } else if (::fsync(fd.get()) != 0) {
        failure = "cannot flush ";
    } else if (!fd.close()) {
        failure = "cannot close ";
    }
    if (failure != nullptr) {
        Fail(error, failure, tempPath);
        return std::nullopt;
    }
    return replacement;
}

bool ReplacementFile::Replace(std::string* error) {
    if (::rename(temporary_.c_str(), file_.c_str()) != 0) {
        return Fail(error, "cannot replace ", file_);
    }
    temporary_.clear();
    SyncFolder(file_.parent_path());
    return true;
}

}  // namespace kelto::playlist
