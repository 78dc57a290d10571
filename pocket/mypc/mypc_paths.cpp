#include "pocket/mypc/mypc_paths.h"

namespace pocket::mypc {

bool isPdaPath(std::string_view treePath)
{
    return treePath.substr(0, kPdaRootText.size()) == kPdaRootText
        && (treePath.size() == kPdaRootText.size() || treePath[kPdaRootText.size()] == '\\');
}

std::optional<std::string> handheldPathOf(std::string_view treePath)
{
    if (!isPdaPath(treePath))
        return std::nullopt;
    return std::string(treePath.substr(kPdaRootText.size()));
}

std::string_view lastComponent(std::string_view path)
{
    std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace pocket::mypc
