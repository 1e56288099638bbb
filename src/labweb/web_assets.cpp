#include "labweb/web_assets.h"

namespace klv {

const WebAsset* findWebAsset(std::string_view name)
{
    for (std::size_t i = 0; i < kWebAssetCount; ++i)
        if (name == kWebAssets[i].name)
            return &kWebAssets[i];
    return nullptr;
}

const char* webContentType(std::string_view name)
{
    if (name.ends_with(".html"))
        return "text/html; charset=utf-8";
    if (name.ends_with(".css"))
        return "text/css; charset=utf-8";
    if (name.ends_with(".js"))
        return "text/javascript; charset=utf-8";
    if (name.ends_with(".svg"))
        return "image/svg+xml";
    return "application/octet-stream";
}

}  // namespace klv
