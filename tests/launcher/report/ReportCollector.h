#pragma once
// A one-shot action report collector on 127.0.0.1 for the report and window tests.
#include <utility> // before Boost.Asio (see ActionReport.cpp)

#include <boost/asio.hpp>
#include <regex>
#include <string>
#include <thread>

namespace testreport
{
// A one-shot collector on 127.0.0.1: takes one connection, keeps every byte until the client
// has sent its request, answers (or stays silent) and closes.
class CCollector
{
public:
    explicit CCollector(std::string answer, bool silent = false)
        : m_acceptor(m_io, {boost::asio::ip::make_address("127.0.0.1"), 0})
    {
        m_thread = std::thread(
            [this, answer, silent]
            {
                boost::asio::ip::tcp::socket socket(m_io);
                boost::system::error_code ec;
                m_acceptor.accept(socket, ec);
                if (ec) return;
                char buffer[4096];
                // The request ends with the body's "\r\n"; read until the announced body has arrived.
                for (;;)
                {
                    size_t n = socket.read_some(boost::asio::buffer(buffer), ec);
                    if (ec) break;
                    m_request.append(buffer, n);
                    std::smatch m;
                    if (std::regex_search(m_request, m, std::regex("Content-Length: (\\d+)\r\n")))
                    {
                        size_t head = m_request.find("\r\n\r\n");
                        if (head != std::string::npos && m_request.size() >= head + 4 + std::stoul(m[1]) + 2)
                            break;
                    }
                }
                if (silent)
                {
                    // Say nothing until the client gives up and closes.
                    while (!ec)
                        socket.read_some(boost::asio::buffer(buffer), ec);
                    return;
                }
                boost::asio::write(socket, boost::asio::buffer(answer), ec);
                socket.shutdown(boost::asio::ip::tcp::socket::shutdown_both, ec);
            });
    }
    ~CCollector()
    {
        m_acceptor.close();
        if (m_thread.joinable()) m_thread.join();
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(m_acceptor.local_endpoint().port()); }
    const std::string& Request() const { return m_request; }

private:
    boost::asio::io_context m_io;
    boost::asio::ip::tcp::acceptor m_acceptor;
    std::thread m_thread;
    std::string m_request;
};
} // namespace testreport
