#include "telemetry/views.h"

#include <cerrno>
#include <new>
#include <string>

#include "base/error_report.h"

namespace ardelle::telemetry {

std::optional<FileBytes> ReadBytesReported(const platform::MappedFile& file, std::uint64_t offset,
                                           std::uint64_t length, std::uint64_t limit) {
    if (!file.is_open()) {
        base::ReportError(base::kMappingErrorTitle, platform::SystemErrorText(EBADF));
        return std::nullopt;
    }
    limit = limit < file.size() ? limit : file.size();
    if (offset >= limit || length == 0) {
        return std::nullopt;
    }
    length = length < limit - offset ? length : limit - offset;
    FileBytes read;
    read.offset = offset;
    try {
        read.bytes.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        base::ReportError(base::kMappingErrorTitle, platform::SystemErrorText(ENOMEM));
        return std::nullopt;
    }
    errno = 0;
    if (file.ReadAt(offset, read.bytes.data(), read.bytes.size()) != read.bytes.size()) {
        const int error_number = errno;
        base::ReportError(base::kMappingErrorTitle, error_number != 0
                                                        ? platform::SystemErrorText(error_number)
                                                        : file.path() +
                                                              ": the file was cut short while "
                                                              "it was read");
        return std::nullopt;
    }
    return read;
}

}  // namespace ardelle::telemetry
