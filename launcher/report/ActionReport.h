#pragma once
// Action reports: one small JSON document per launcher step, posted to "/game" of the statistics
// host the launcher script names. Fire-and-forget: callers only learn whether the host answered
// "HTTP/1.1 200 OK".
#include <chrono>
#include <string>

// The host may carry ":port"; without one the report goes to port 80.
bool ActionReport(const std::string& host, const std::string& actionCode, const std::string& environment,
                  const std::string& memberNumber, const std::string& actionResult);

std::string BuildActionReportBody(const std::string& actionCode, const std::string& environment,
                                  const std::string& memberNumber, const std::string& actionResult);

// Connecting, writing and reading end when the expiry passes (the name lookup before it does not).
bool PostActionReport(const std::string& host, const std::string& body,
                      std::chrono::seconds expiry = std::chrono::seconds(60));

// The exact request bytes for a host and a body.
std::string BuildActionReportRequest(const std::string& host, const std::string& body);

// First IPv4 address of this computer's own host name, dotted; empty when it has none.
std::string OwnIPv4Address();
