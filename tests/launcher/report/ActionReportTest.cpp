#include "launcher/report/ActionReport.h"
#include "tests/launcher/report/ReportCollector.h"

#include <utility> // before Boost.Asio (see ActionReport.cpp)

#include <boost/asio.hpp>
#include <chrono>
#include <gtest/gtest.h>
#include <regex>
#include <thread>

using testreport::CCollector;

TEST(ActionReport, BodyHasTheFixedShape)
{
    std::string body = BuildActionReportBody("launcher.game.start", "", "", "1");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        body, m,
        std::regex("\\{\"log_type\":\"launcher\",\"game_code\":\"velmora\",\"game_no\":\"111\","
                   "\"report_time\":\"(\\d{4}-\\d\\d-\\d\\d "
                   "\\d\\d:\\d\\d:\\d\\d)\",\"member_no\":\"\",\"environment\":\"\","
                   "\"data\":\\{\"action_code\":\"launcher.game.start\",\"action_time\":\"([^\"]*)\","
                   "\"action_result\":\"1\",\"action_info\":\\{\"client_ip\":\"([0-9.]*)\"\\}\\}\\}\n")))
        << body;
    EXPECT_EQ(m[1], m[2]) << "one time for both";
    EXPECT_EQ(m[3], OwnIPv4Address());
    EXPECT_NE(BuildActionReportBody("a/b", "x\"y", "7", "2").find("\"action_code\":\"a\\/b\""),
              std::string::npos);
}

TEST(ActionReport, RequestBytesAndAnswers)
{
    const std::string body = BuildActionReportBody("launcher.patch.status", "live", "12345", "14042");
    {
        CCollector collector("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        EXPECT_TRUE(PostActionReport(collector.Host(), body));
        std::string expected = "POST /game HTTP/1.1\r\nHost: " + collector.Host() +
                               "\r\nContent-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n"
                               "Content-Length: " +
                               std::to_string(body.size()) + "\r\nConnection: Close\r\n\r\n" + body + "\r\n";
        // The collector thread has finished reading once the answer went out.
        EXPECT_EQ(collector.Request(), expected);
        EXPECT_EQ(body.back(), '\n') << "the counted length includes the JSON's line feed";
    }
    {
        CCollector collector("HTTP/1.0 200 OK\r\n\r\n");
        EXPECT_FALSE(PostActionReport(collector.Host(), body));
    }
    {
        CCollector collector("HTTP/1.1 500 Internal Server Error\r\n\r\nHTTP/1.1 200 OK");
        EXPECT_TRUE(PostActionReport(collector.Host(), body)) << "the text is searched, not parsed";
    }
}

TEST(ActionReport, SilentOrMissingCollectorEndsWithinTheExpiry)
{
    CCollector silent("", true);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(PostActionReport(silent.Host(), "{}\n", std::chrono::seconds(1)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));

    // Nothing listens on a port that was just closed.
    uint16_t port;
    {
        boost::asio::io_context io;
        boost::asio::ip::tcp::acceptor a(io, {boost::asio::ip::make_address("127.0.0.1"), 0});
        port = a.local_endpoint().port();
    }
    EXPECT_FALSE(ActionReport("127.0.0.1:" + std::to_string(port), "launcher.start.success", "", "", "1"));
}
