#include "shell/url_fetcher.h"

#include <utility>

namespace {

UrlFetcher installedFetcher;

}  // namespace

UrlFetcher SetUrlFetcher(UrlFetcher fetcher) {
    UrlFetcher previous = std::move(installedFetcher);
    installedFetcher = std::move(fetcher);
    return previous;
}

bool GetUrlText(const std::string& url, std::string& text, std::string& error, const UrlFetchLimits& limits) {
    text.clear();
    error.clear();
    if (!installedFetcher) {
        error = "No way to reach the web is available";
        return false;
    }
    UrlFetchResult result = installedFetcher(url, limits);
    if (!result.ok) {
        error = result.error.empty() ? "Cannot open URL " + url : std::move(result.error);
        return false;
    }
    if (result.text.size() > limits.maxBytes) {
        error = "The answer from " + url + " is too large";
        return false;
    }
    text = std::move(result.text);
    return true;
}
