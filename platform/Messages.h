// Window-message numbers and the message record that the per-thread queues
// carry. The numbers are the Windows ones because the engine's protocol is
// written in them (WM_USER+n between the run and the main window).
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

namespace vorlin {

// A message target ("hidden window"). 0 is no target: a thread message.
using THandle = uint64_t;
// A thread with a message queue, as PostThreadMessage names it.
using TThreadId = uint32_t;

constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_USER = 0x0400;

// Socket notification bits, as WSAAsyncSelect reports them in LParam.
constexpr uint32_t FD_READ = 0x01;
constexpr uint32_t FD_WRITE = 0x02;
constexpr uint32_t FD_OOB = 0x04;
constexpr uint32_t FD_ACCEPT = 0x08;
constexpr uint32_t FD_CONNECT = 0x10;
constexpr uint32_t FD_CLOSE = 0x20;

constexpr intptr_t WSAMakeSelectReply(uint32_t events, uint32_t error) {
    return static_cast<intptr_t>((events & 0xFFFF) | ((error & 0xFFFF) << 16));
}
constexpr uint32_t WSAGetSelectEvent(intptr_t lParam) { return static_cast<uint32_t>(lParam) & 0xFFFF; }
constexpr uint32_t WSAGetSelectError(intptr_t lParam) { return (static_cast<uint32_t>(lParam) >> 16) & 0xFFFF; }

// A heap block carried by a posted message. It belongs to whoever holds the
// message: the receiver takes it over, and a message that is dropped (its
// target destroyed, its thread gone) frees it, so nothing leaks.
class TPayload {
public:
    virtual ~TPayload() = default;
};

template <typename T> class TPayloadOf : public TPayload {
public:
    explicit TPayloadOf(T value) : Value(std::move(value)) {}
    T Value;
};

template <typename T> std::unique_ptr<TPayload> MakePayload(T value) {
    return std::make_unique<TPayloadOf<T>>(std::move(value));
}

struct TMsg {
    THandle Target = 0;
    uint32_t Message = WM_NULL;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    std::unique_ptr<TPayload> Payload;

    // The payload's value if it holds a T, else nullptr (it stays owned here).
    template <typename T> T* PayloadAs() {
        auto* p = dynamic_cast<TPayloadOf<T>*>(Payload.get());
        return p ? &p->Value : nullptr;
    }
    // Moves the payload's value out; a missing or other payload gives T{}.
    template <typename T> T TakePayload() {
        T* p = PayloadAs<T>();
        T value = p ? std::move(*p) : T{};
        Payload.reset();
        return value;
    }
};

} // namespace vorlin
