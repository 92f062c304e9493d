#pragma once
// A named system message queue through which the script sends packed binary messages to another
// program. Every message is one 1032-byte record, integers 32-bit little-endian:
//   offset 0  MessageType (0: not set)
//   offset 4  DataLength (used bytes of Data)
//   offset 8  Data, 1024 bytes: the items in the order they were added, unused bytes zero.
// A number item is its 4 bytes; a text item is a number item holding the text's length + 1, then
// the text and its terminating zero. An item that does not fit into Data is refused and the message
// stays as it was.
#include <boost/interprocess/interprocess_fwd.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>

class CInterMessageQueue
{
public:
    static constexpr size_t kRecordSize = 1032;
    static constexpr size_t kDataSize = 1024;
    static constexpr unsigned kMaxMessages = 20;

    CInterMessageQueue();
    ~CInterMessageQueue();
    CInterMessageQueue(const CInterMessageQueue&) = delete;
    CInterMessageQueue& operator=(const CInterMessageQueue&) = delete;

    // Removes a leftover queue of that name, then creates it (create-only: fails when another
    // process creates the same name at the same moment). A queue this object had is let go first.
    bool CreateMessageQueue(const char* name);
    void RemoveMessageQueue(const char* name);
    // Sends without blocking; false without a type or data (the message is kept), without a queue,
    // or when the queue is full. After an attempt the message is cleared, sent or not.
    bool SendPackedMessage();
    void SetMessageType(int type);
    void SetNumber(int value);
    void SetText(const char* text);

    const unsigned char* GetRecord() const { return m_record; }
    int GetMessageType() const { return ReadInt(0); }
    int GetDataLength() const { return ReadInt(4); }
    const char* GetQueueName() const { return m_queueName; }
    bool HasQueue() const { return m_queue != nullptr; }

private:
    using Queue = boost::interprocess::message_queue;
    struct QueueDeleter
    {
        void operator()(Queue* q) const;
    };

    void ClearMessage();
    int ReadInt(size_t offset) const;
    void WriteInt(size_t offset, int value);
    bool Append(const void* bytes, size_t count);

    std::unique_ptr<Queue, QueueDeleter> m_queue;
    char m_queueName[256] = {};
    unsigned char m_record[kRecordSize] = {};
};
