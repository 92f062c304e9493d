#include "launcher/script/InterMessageQueue.h"

#include <boost/interprocess/ipc/message_queue.hpp>

#include <cstring>
#include <exception>

namespace ipc = boost::interprocess;

void CInterMessageQueue::QueueDeleter::operator()(Queue* q) const
{
    delete q;
}

CInterMessageQueue::CInterMessageQueue() = default;

// Closing leaves the system queue for the receiver; only a new CreateMessageQueue removes it.
CInterMessageQueue::~CInterMessageQueue() = default;

bool CInterMessageQueue::CreateMessageQueue(const char* name)
{
    if (!name) return false;
    RemoveMessageQueue(name);
    m_queue.reset();
    try
    {
        m_queue.reset(new Queue(ipc::create_only, name, kMaxMessages, kRecordSize));
    }
    catch (const std::exception&)
    {
        return false;
    }
    ClearMessage();
    std::strncpy(m_queueName, name, sizeof(m_queueName) - 1);
    m_queueName[sizeof(m_queueName) - 1] = '\0';
    return true;
}

void CInterMessageQueue::RemoveMessageQueue(const char* name)
{
    if (!name) return;
    try
    {
        Queue::remove(name);
    }
    catch (const std::exception&)
    {
    }
}

bool CInterMessageQueue::SendPackedMessage()
{
    if (GetDataLength() == 0 || GetMessageType() == 0) return false;
    if (!m_queue) return false;
    bool sent = false;
    try
    {
        sent = m_queue->try_send(m_record, kRecordSize, 0);
    }
    catch (const std::exception&)
    {
        sent = false;
    }
    ClearMessage();
    return sent;
}

void CInterMessageQueue::SetMessageType(int type)
{
    WriteInt(0, type);
}

void CInterMessageQueue::SetNumber(int value)
{
    unsigned char bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    Append(bytes, sizeof(bytes));
}

void CInterMessageQueue::SetText(const char* text)
{
    if (!text) return;
    size_t length = std::strlen(text) + 1;
    size_t used = static_cast<size_t>(GetDataLength());
    // The length item and the text go in together or not at all.
    if (length > kDataSize || used + 4 + length > kDataSize) return;
    SetNumber(static_cast<int>(length));
    Append(text, length);
}

void CInterMessageQueue::ClearMessage()
{
    std::memset(m_record, 0, sizeof(m_record));
}

int CInterMessageQueue::ReadInt(size_t offset) const
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(m_record[offset + i]) << (8 * i);
    return static_cast<int>(v);
}

void CInterMessageQueue::WriteInt(size_t offset, int value)
{
    for (int i = 0; i < 4; ++i)
        m_record[offset + i] = static_cast<unsigned char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
}

bool CInterMessageQueue::Append(const void* bytes, size_t count)
{
    size_t used = static_cast<size_t>(GetDataLength());
    if (used > kDataSize || count > kDataSize - used) return false;
    std::memcpy(m_record + 8 + used, bytes, count);
    WriteInt(4, static_cast<int>(used + count));
    return true;
}
