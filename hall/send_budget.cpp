// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/send_budget.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cmath>

namespace ZapModule {

SendBudget::SendBudget(int sendsPerMinute, int cpuSecondsPerMinute)
    : sendsPerMinute_(sendsPerMinute), cpuPerMinute_(cpuSecondsPerMinute) {}

std::string SendBudget::Sender(const std::string& address) {
    in6_addr six{};
    if (inet_pton(AF_INET6, address.c_str(), &six) != 1) return address;
    char text[INET6_ADDRSTRLEN] = {};
    if (IN6_IS_ADDR_V4MAPPED(&six)) {
        inet_ntop(AF_INET, &six.s6_addr[12], text, sizeof text);
        return text;
    }
    std::fill(std::begin(six.s6_addr) + 8, std::end(six.s6_addr), 0);
    inet_ntop(AF_INET6, &six, text, sizeof text);
    return std::string(text) + "/64";
}

SendBudget::Bucket& SendBudget::Filled(const std::string& sender) {
    const auto now = std::chrono::steady_clock::now();
    const auto filled = [&](const Bucket& b) {
        const double minutes = std::chrono::duration<double>(now - b.At).count() / 60;
        return Bucket{std::min(sendsPerMinute_, b.Sends + minutes * sendsPerMinute_),
                      std::min(cpuPerMinute_, b.Cpu + minutes * cpuPerMinute_), now};
    };
    if (buckets_.size() > kForgetAbove)
        std::erase_if(buckets_, [&](const auto& entry) {
            const Bucket b = filled(entry.second);
            return b.Sends >= sendsPerMinute_ && b.Cpu >= cpuPerMinute_;
        });
    const auto [it, fresh] =
        buckets_.try_emplace(sender, Bucket{sendsPerMinute_, cpuPerMinute_, now});
    it->second = filled(it->second);
    return it->second;
}

int SendBudget::SecondsUntil(double level, double needed, double perMinute) {
    return std::max(1, static_cast<int>(std::ceil((needed - level) * 60 / perMinute)));
}

int SendBudget::TakeSend(const std::string& sender) {
    if (sendsPerMinute_ == 0) return 0;
    const std::lock_guard<std::mutex> hold(mutex_);
    Bucket& bucket = Filled(sender);
    if (bucket.Sends < 1) return SecondsUntil(bucket.Sends, 1, sendsPerMinute_);
    bucket.Sends -= 1;
    return 0;
}

int SendBudget::CpuWait(const std::string& sender) {
    if (cpuPerMinute_ == 0) return 0;
    const std::lock_guard<std::mutex> hold(mutex_);
    const Bucket& bucket = Filled(sender);
    return bucket.Cpu > 0 ? 0 : SecondsUntil(bucket.Cpu, 0, cpuPerMinute_);
}

void SendBudget::SpendCpu(const std::string& sender, double seconds) {
    if (cpuPerMinute_ == 0) return;
    const std::lock_guard<std::mutex> hold(mutex_);
    Filled(sender).Cpu -= seconds;
}

}  // namespace ZapModule
