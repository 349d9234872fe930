#include "media/web_site.h"

#include <cstdlib>

namespace kivo {

std::string MakerHost() {
  const char* host = std::getenv("KIVO_WEB_HOST");
  return host && *host ? host : kDefaultWebHost;
}

std::string ProductPageUrl() { return "http://" + MakerHost() + "/Kivo/index.html"; }
std::string DownloadPageUrl() { return "http://" + MakerHost() + "/Kivo/index.html#download"; }
std::string TimeLapsePageUrl() { return "http://" + MakerHost() + "/Kivo/timelapse.html"; }
std::string ContactPageUrl() { return "http://" + MakerHost() + "/pages/contact-us"; }

}  // namespace kivo
