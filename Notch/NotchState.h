#pragma once

// What a compact notch (strips on both sides of the notch) shows.
enum class CompactKind { media, reminder, alert, timer, micMuted, event };

// What a notch panel shows. Equal states have the same case and, for
// compact, the same kind.
class NotchState {
public:
    enum class Case { compact, closed, banner, mixer, peek, open };

    static constexpr NotchState compact(CompactKind kind) { return NotchState(Case::compact, kind); }
    static constexpr NotchState closed() { return NotchState(Case::closed); }
    static constexpr NotchState banner() { return NotchState(Case::banner); }
    static constexpr NotchState mixer() { return NotchState(Case::mixer); }
    static constexpr NotchState peek() { return NotchState(Case::peek); }
    static constexpr NotchState open() { return NotchState(Case::open); }

    constexpr Case value() const { return m_case; }
    // Meaningful only for a compact state.
    constexpr CompactKind kind() const { return m_kind; }

    constexpr bool operator==(const NotchState &other) const
    {
        return m_case == other.m_case && (m_case != Case::compact || m_kind == other.m_kind);
    }

private:
    constexpr explicit NotchState(Case value, CompactKind kind = CompactKind::media)
        : m_case(value)
        , m_kind(kind)
    {
    }

    Case m_case;
    CompactKind m_kind;
};
