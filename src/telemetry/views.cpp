#include "telemetry/views.h"

#include "base/error_report.h"

namespace ardelle::telemetry {

std::optional<platform::FileView> MapViewReported(platform::MappedFile& file, std::uint64_t offset,
                                                  std::uint64_t length, std::uint64_t limit) {
    int error_number = 0;
    auto view = file.MapView(offset, length, limit, &error_number);
    if (!view && error_number != 0) {
        base::ReportError(base::kMappingErrorTitle, platform::SystemErrorText(error_number));
    }
    return view;
}

}  // namespace ardelle::telemetry
