// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What one sender may cost the server: so many sends a minute and so many CPU seconds of
// verification a minute, each a bucket that fills at its rate up to a minute's worth. A sender is
// an IPv4 address or an IPv6 /64 (one subscriber's network). Held by each copy of the server for
// itself.

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace ZapModule {

class SendBudget {
  public:
    // `sendsPerMinute` sends and `cpuSecondsPerMinute` seconds of verification a minute from one
    // sender; 0 leaves that unlimited.
    SendBudget(int sendsPerMinute, int cpuSecondsPerMinute);

    // The sender an address belongs to: an IPv4 address (also one written as IPv6), or the
    // first 64 bits of an IPv6 address.
    static std::string Sender(const std::string& address);

    // Seconds until the sender may send: 0 when it may now, and the send is counted.
    int TakeSend(const std::string& sender);
    // Seconds until the sender's verification time has filled up again, 0 when it may be spent.
    int CpuWait(const std::string& sender);
    // The sender's verification took `seconds`.
    void SpendCpu(const std::string& sender, double seconds);

  private:
    struct Bucket {
        double Sends = 0, Cpu = 0;
        std::chrono::steady_clock::time_point At;
    };
    // Senders whose buckets have filled up again are forgotten once this many are held.
    static constexpr size_t kForgetAbove = 10000;

    // The sender's buckets, filled for the time passed since they were last looked at.
    Bucket& Filled(const std::string& sender);
    // Whole seconds until a bucket at `level` holds `needed`, at least 1.
    static int SecondsUntil(double level, double needed, double perMinute);

    double sendsPerMinute_, cpuPerMinute_;
    std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
};

}  // namespace ZapModule
