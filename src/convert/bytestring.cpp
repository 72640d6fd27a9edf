#include "convert/bytestring.h"

#include "convert/bigalloc.h"

#include <cstring>
#include <utility>

ByteString::ByteString(ByteString &&other) noexcept
    : m_buffer(std::move(other.m_buffer)), m_size(std::exchange(other.m_size, 0))
{
}

ByteString &ByteString::operator=(ByteString &&other) noexcept
{
    if (this != &other) {
        m_buffer = std::move(other.m_buffer);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

ByteString ByteString::Uninitialized(std::size_t count)
{
    ByteString result;
    std::size_t reserved = 0;
    if (uint8_t *large = bigalloc::Allocate(count + 1, reserved))
        result.m_buffer = {large, ByteStringReleaser{reserved}};
    else
        result.m_buffer = {new uint8_t[count + 1], ByteStringReleaser{}};
    result.m_buffer[count] = 0;
    result.m_size = count;
    return result;
}

ByteString ByteString::Copy(std::span<const uint8_t> bytes)
{
    ByteString result = Uninitialized(bytes.size());
    if (!bytes.empty())
        std::memcpy(result.data(), bytes.data(), bytes.size());
    return result;
}

ByteString ByteString::Copy(std::string_view text)
{
    return Copy(std::span(reinterpret_cast<const uint8_t *>(text.data()), text.size()));
}

const char *ByteString::c_str() const noexcept
{
    return m_buffer ? reinterpret_cast<const char *>(m_buffer.get()) : "";
}

void ByteStringReleaser::operator()(uint8_t *buffer) const noexcept
{
    if (reserved != 0)
        bigalloc::Release(buffer, reserved);
    else
        delete[] buffer;
}

void ByteString::reset() noexcept
{
    m_buffer.reset();
    m_size = 0;
}
