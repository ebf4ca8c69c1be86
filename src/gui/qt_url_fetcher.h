#pragma once
// The web check's fetcher: an HTTP GET with QNetworkAccessManager, waited for in a local event loop
// that leaves out user input (windows repaint, no command can start meanwhile).

#include <string>

#include "shell/url_fetcher.h"

// Only http and https addresses; no cached copy; the limits as UrlFetchLimits says.
UrlFetchResult FetchUrlWithQt(const std::string& url, const UrlFetchLimits& limits);
