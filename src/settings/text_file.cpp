#include "settings/text_file.h"

#include "web/encoding.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace dealcast::settings {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Closes the descriptor on every path out of a function.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    // Closes now and reports whether the close succeeded: on some file systems a deferred write error only
    // shows up here.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes through a symbolic link to the file it names instead of replacing the link with a plain file.
std::filesystem::path resolveTarget(const std::filesystem::path& path)
{
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec))
        return path;
    auto resolved = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : resolved;
}

void syncFolder(const std::filesystem::path& folder)
{
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());  // best effort: the rename itself has already happened
}

}  // namespace

std::optional<std::string> readFileBytes(const std::filesystem::path& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode))
        return std::nullopt;
    std::string out;
    out.reserve(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0);
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes)
{
    const std::filesystem::path target = resolveTarget(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    std::string hiddenName = ".";  // built by appends: GCC 12 misreports "." + string + "..." as overlapping
    hiddenName += target.filename().string();
    hiddenName += ".XXXXXX";
    std::string tempName = (folder / hiddenName).string();
    std::vector<char> buffer(tempName.begin(), tempName.end());
    buffer.push_back('\0');
    FileDescriptor fd(::mkostemp(buffer.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    tempName.assign(buffer.data());

    struct stat existing {};
    bool ok = true;
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ok = ::fchmod(fd.get(), existing.st_mode & 07777) == 0;
    ok = ok && writeAll(fd.get(), bytes);
    ok = ok && ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    ok = ok && ::rename(tempName.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempName.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

std::optional<std::string> readTextFile(const std::filesystem::path& path)
{
    auto bytes = readFileBytes(path);
    if (!bytes)
        return std::nullopt;
    const std::string_view view = *bytes;
    if (view.starts_with(kUtf8Bom))
        return web::sanitizeUtf8(view.substr(kUtf8Bom.size()));
    return web::gbkToUtf8(view);
}

bool writeTextFile(const std::filesystem::path& path, std::string_view text)
{
    return writeFileAtomically(path, web::utf8ToGbk(text));
}

}  // namespace dealcast::settings
