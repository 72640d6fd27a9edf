// Owning byte string: the result type of every conversion.
//
// A ByteString holds `size()` data bytes followed by one extra 0 byte, so a
// text result can be handed on as a terminated string and a byte result can be
// searched as one. It is move-only: a result has one owner, and passing it on
// never copies the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

class ByteString
{
public:
    ByteString() noexcept = default;
    ByteString(ByteString &&other) noexcept;
    ByteString &operator=(ByteString &&other) noexcept;
    ByteString(const ByteString &) = delete;
    ByteString &operator=(const ByteString &) = delete;
    ~ByteString() = default;

    // One allocation of `count` bytes of unspecified content plus the
    // trailing 0, for code that measures first and fills afterwards.
    static ByteString Uninitialized(std::size_t count);
    static ByteString Copy(std::span<const uint8_t> bytes);
    static ByteString Copy(std::string_view text);

    // nullptr while no buffer is held (a default-constructed or moved-from
    // string); otherwise data()[size()] is 0.
    uint8_t *data() noexcept { return m_buffer.get(); }
    const uint8_t *data() const noexcept { return m_buffer.get(); }
    std::size_t size() const noexcept { return m_size; }
    bool empty() const noexcept { return m_size == 0; }

    // Terminated text; "" while no buffer is held.
    const char *c_str() const noexcept;
    std::string_view view() const noexcept { return {c_str(), m_size}; }
    std::span<const uint8_t> bytes() const noexcept { return {m_buffer.get(), m_size}; }

    void reset() noexcept;

private:
    std::unique_ptr<uint8_t[]> m_buffer;
    std::size_t m_size = 0;
};
