#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace core {

/** Bytes that never change once made, shared by whoever holds them: a string of their own, or memory that `keeper`
 *  holds (a file mapped by the io layer). Copies share the bytes. */
class SharedBytes
{
public:
    SharedBytes() = default;
    // Not explicit: a string is the usual way to have such bytes (a file read, a test's text).
    SharedBytes(std::string bytes) // NOLINT(google-explicit-constructor)
    {
        auto owned = std::make_shared<const std::string>(std::move(bytes));
        m_view = *owned;
        m_keeper = std::move(owned);
    }
    /** `bytes` stay valid as long as `keeper` lives. */
    SharedBytes(std::string_view bytes, std::shared_ptr<const void> keeper)
        : m_view(bytes)
        , m_keeper(std::move(keeper))
    { }

    SharedBytes(const SharedBytes&) = default;
    SharedBytes& operator=(const SharedBytes&) = default;
    // A moved-from holder is empty, not a view of bytes it no longer keeps.
    SharedBytes(SharedBytes&& other) noexcept
        : m_view(std::exchange(other.m_view, {}))
        , m_keeper(std::move(other.m_keeper))
    { }
    SharedBytes& operator=(SharedBytes&& other) noexcept
    {
        m_view = std::exchange(other.m_view, {});
        m_keeper = std::move(other.m_keeper);
        return *this;
    }
    ~SharedBytes() = default;

    std::string_view view() const { return m_view; }
    std::size_t size() const { return m_view.size(); }
    explicit operator bool() const { return m_keeper != nullptr; }

private:
    std::string_view m_view;
    std::shared_ptr<const void> m_keeper;
};

} // namespace core
