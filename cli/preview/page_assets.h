#pragma once

#include <string_view>

namespace boxwander::cli::preview {

// The page's files, built into the tool from cli/preview/page/.
extern const std::string_view kIndexHtml;
extern const std::string_view kPreviewJs;
extern const std::string_view kPreviewCss;

}  // namespace boxwander::cli::preview
