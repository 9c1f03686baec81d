// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How many games one address may send: a bucket per address that fills at the allowed rate up to
// a minute's worth, each send taking one. Held by each copy of the server for itself.

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace ZapModule {

class SendRateLimit {
  public:
    // `perMinute` sends a minute from one address; 0 allows every send.
    explicit SendRateLimit(int perMinute) : perMinute_(perMinute) {}

    // Whether `address` may send now; a send allowed is counted.
    bool Take(const std::string& address);

  private:
    struct Bucket {
        double Sends = 0;
        std::chrono::steady_clock::time_point At;
    };
    // Addresses whose bucket has filled up again are forgotten once this many are held.
    static constexpr size_t kForgetAbove = 10000;

    int perMinute_;
    std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
};

}  // namespace ZapModule
