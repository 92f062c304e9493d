#pragma once
// A registry of the methods one kind of transform knows (compression or encryption): the method
// ids of the file records are slots, each holding the codec that carries out the method. Slot 0
// means "untransformed" and never holds a codec; ids from SlotCount up are unknown. Every operation
// on an empty or unknown slot fails.
//
// Registry is the concrete registry (it fills the slots in its constructor); Encode and Decode are
// the codec's two directions, which share the buffer contract of every codec (see IZipBase).
#include <cstdint>
#include <memory>

namespace ZP
{

template <class Registry, class Codec, int SlotCount, auto Encode, auto Decode> class TCodecRegistry
{
public:
    static constexpr int kSlotCount = SlotCount;

    TCodecRegistry(const TCodecRegistry&) = delete;
    TCodecRegistry& operator=(const TCodecRegistry&) = delete;

    // Null for 0 and for unknown ids.
    Codec* Get(int method) const
    {
        return method < 0 || method >= kSlotCount ? nullptr : m_slots[method].get();
    }

    bool Forward(int method, char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                 uint32_t prefix) const
    {
        Codec* codec = Get(method);
        return codec != nullptr && (codec->*Encode)(output, outputLength, input, inputLength, prefix);
    }

    bool Backward(int method, char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                  uint32_t prefix) const
    {
        Codec* codec = Get(method);
        return codec != nullptr && (codec->*Decode)(output, expectedLength, input, inputLength, prefix);
    }

    // The process-wide registry, created on first use and never destroyed: a pak closed during
    // static teardown may still decode through it.
    static Registry& Instance()
    {
        static Registry* registry = new Registry;
        return *registry;
    }

protected:
    TCodecRegistry() = default;
    ~TCodecRegistry() = default;

    template <class Concrete> void Register(int method) { m_slots[method] = std::make_unique<Concrete>(); }

private:
    std::unique_ptr<Codec> m_slots[SlotCount];
};

} // namespace ZP
