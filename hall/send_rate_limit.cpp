// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/send_rate_limit.h"

#include <algorithm>

namespace ZapModule {

bool SendRateLimit::Take(const std::string& address) {
    if (perMinute_ == 0) return true;
    const auto now = std::chrono::steady_clock::now();
    const double full = perMinute_;
    const auto filled = [&](const Bucket& b) {
        const std::chrono::duration<double> passed = now - b.At;
        return std::min(full, b.Sends + passed.count() * full / 60);
    };
    const std::lock_guard<std::mutex> hold(mutex_);
    if (buckets_.size() > kForgetAbove)
        std::erase_if(buckets_, [&](const auto& entry) { return filled(entry.second) >= full; });
    const auto [it, fresh] = buckets_.try_emplace(address, Bucket{full, now});
    Bucket& bucket = it->second;
    bucket.Sends = filled(bucket);
    bucket.At = now;
    if (bucket.Sends < 1) return false;
    bucket.Sends -= 1;
    return true;
}

}  // namespace ZapModule
