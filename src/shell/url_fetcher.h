// Fetching a small text over HTTP. The core has no network code: the GUI installs a fetcher
// (gui/qt_url_fetcher.h), tests install a fake; without one every fetch fails.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

struct UrlFetchResult {
    bool ok = false;
    std::string text;   // the body as bytes, when ok
    std::string error;  // why not, when not ok
};

// Limits every fetcher keeps: a server that stops sending for `stall` fails, a whole answer takes
// at most `total`, and a body longer than `maxBytes` fails instead of filling memory.
struct UrlFetchLimits {
    std::chrono::milliseconds stall{15000};
    std::chrono::milliseconds total{60000};
    std::size_t maxBytes = 64 * 1024;
};

using UrlFetcher = std::function<UrlFetchResult(const std::string& url, const UrlFetchLimits& limits)>;

// Installs a fetcher and returns the previous one (empty: none).
UrlFetcher SetUrlFetcher(UrlFetcher fetcher);

// Fetches url through the installed fetcher, with no cached copy; false with the reason in error
// when there is no fetcher or the fetch failed.
bool GetUrlText(const std::string& url, std::string& text, std::string& error,
                const UrlFetchLimits& limits = UrlFetchLimits{});
