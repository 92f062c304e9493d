#include "launcher/report/ActionReport.h"

#include "zpak/common/CommonFunction.h"

#include <utility> // before Boost.Asio, whose C++20 parts use std::exchange without including it

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/host_name.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <cstdio>
#include <sstream>

namespace
{
std::string NowText()
{
    ZP::sSystemTime t = ZP::LocalNow();
    char text[64];
    std::snprintf(text, sizeof(text), "%d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}
} // namespace

std::string OwnIPv4Address()
{
    try
    {
        boost::asio::io_context io;
        boost::asio::ip::tcp::resolver resolver(io);
        boost::system::error_code ec;
        auto results = resolver.resolve(boost::asio::ip::host_name(), "", ec);
        if (ec) return std::string();
        for (const auto& entry : results)
            if (entry.endpoint().address().is_v4()) return entry.endpoint().address().to_string();
    }
    catch (const std::exception&)
    {
    }
    return std::string();
}

std::string BuildActionReportBody(const std::string& actionCode, const std::string& environment,
                                  const std::string& memberNumber, const std::string& actionResult)
{
    const std::string time = NowText();
    boost::property_tree::ptree actionInfo;
    actionInfo.put("client_ip", OwnIPv4Address());
    boost::property_tree::ptree root;
    root.put("log_type", "launcher");
    root.put("game_code", "velmora");
    root.put("game_no", "111");
    root.put("report_time", time);
    root.put("member_no", memberNumber);
    root.put("environment", environment);
    boost::property_tree::ptree data;
    data.put("action_code", actionCode);
    data.put("action_time", time);
    data.put("action_result", actionResult);
    data.add_child("action_info", actionInfo);
    root.add_child("data", data);
    std::ostringstream out;
    try
    {
        boost::property_tree::write_json(out, root, false);
    }
    catch (const std::exception&)
    {
        return std::string();
    }
    return out.str();
}

std::string BuildActionReportRequest(const std::string& host, const std::string& body)
{
    std::string request = "POST /game HTTP/1.1\r\n";
    request += "Host: " + host + "\r\n";
    request += "Content-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n";
    request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "Connection: Close\r\n";
    request += "\r\n";
    request += body;
    request += "\r\n";
    return request;
}

bool PostActionReport(const std::string& host, const std::string& body, std::chrono::seconds expiry)
{
    std::string name = host;
    std::string service = "http";
    // "host:port" (one colon only, so a bare IPv6 address is left alone).
    size_t colon = host.rfind(':');
    if (colon != std::string::npos && host.find(':') == colon)
    {
        name = host.substr(0, colon);
        service = host.substr(colon + 1);
    }
    try
    {
        boost::asio::ip::tcp::iostream stream;
        stream.expires_after(expiry);
        stream.connect(name, service);
        if (!stream) return false;
        stream << BuildActionReportRequest(host, body);
        stream.flush();
        std::string answer;
        char buffer[4096];
        while (stream.read(buffer, sizeof(buffer)) || stream.gcount() > 0)
            answer.append(buffer, static_cast<size_t>(stream.gcount()));
        return answer.find("HTTP/1.1 200 OK") != std::string::npos;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

bool ActionReport(const std::string& host, const std::string& actionCode, const std::string& environment,
                  const std::string& memberNumber, const std::string& actionResult)
{
    return PostActionReport(host, BuildActionReportBody(actionCode, environment, memberNumber, actionResult));
}
