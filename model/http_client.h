// SPDX-License-Identifier: MIT
// One JSON POST over HTTP(S), through libcurl.
#pragma once

#include <chrono>
#include <string>

namespace jabbery::model {

// How a request ended. `error` is set when no HTTP answer came back (nothing
// listening, unknown host, time-out, ...); otherwise `status` and `body`
// hold the server's answer, whatever its status.
struct HttpResponse {
    long status = 0;
    std::string body;
    std::string error;
};

// Posts `body` as application/json to `url`. `bearer`, when not empty, is
// sent as "Authorization: Bearer <bearer>". The whole request, connecting
// included, ends after `timeout`, which must be at least 1 ms (libcurl reads
// 0 as no limit). Needs curl_global_init first.
HttpResponse PostJson(const std::string& url, const std::string& body, const std::string& bearer,
                      std::chrono::milliseconds timeout);

}  // namespace jabbery::model
