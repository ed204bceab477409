/*
 * HTTP Vorlin plugin SDK: optional helpers for plugins written in C++.
 *
 * Include after (or instead of) VorlinPlugin.h. Like it, this header needs
 * nothing but the C++ standard library.
 *
 *  - UTF-8 <-> UTF-16 conversion. Malformed input on either side (bytes that
 *    are not UTF-8, unpaired surrogates) becomes U+FFFD, never an error.
 *  - TVorlinString: owns one BSTR and frees it; use it for [in] strings you
 *    pass and for [out] strings you receive (Out()).
 *  - TComRef<T>: holds one reference to an interface and releases it.
 *  - TRefCounted<T>: AddRef/Release for an object implementing interface T
 *    (the object deletes itself when the count drops to zero).
 *
 * Lifetime rules the program follows: it releases the plugin object and the
 * capability interfaces it obtained after calling DeInitPlugin, so the
 * object must stay valid until its last Release. Project and link objects
 * handed to a method are valid for that call; a plugin that keeps one
 * (AddRef) may use it only while the download it belongs to runs.
 */
#ifndef VORLIN_PLUGIN_HELPERS_H
#define VORLIN_PLUGIN_HELPERS_H

#include "VorlinPlugin.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vorlin_sdk {

// --- UTF-8 and UTF-16 ------------------------------------------------------

// Writes one code point as UTF-8 at out (surrogates and values beyond
// U+10FFFF as U+FFFD); answers the end of what was written (at most 4 bytes).
inline char* VorlinPutUtf8(char* out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// Appends one code point as UTF-8 (surrogates and values beyond U+10FFFF as U+FFFD).
inline void VorlinAppendUtf8(std::string& out, char32_t cp) {
    char buffer[4];
    out.append(buffer, static_cast<size_t>(VorlinPutUtf8(buffer, cp) - buffer));
}

// Converts UTF-8 to UTF-16 at out, which has room for s.size() units (no
// sequence gives more units than it has bytes); answers the units written.
inline size_t VorlinPutUtf16(std::string_view s, char16_t* out) {
    char16_t* const start = out;
    size_t i = 0;
    while (i < s.size()) {
        // Most text at the boundary is ASCII: sixteen bytes, then eight, at a
        // time while it lasts.
#if defined(__SSE2__)
        while (i + 16 <= s.size()) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
            if (_mm_movemask_epi8(block) != 0) break;
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(block, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(block, zero));
            out += 16;
            i += 16;
        }
#endif
        while (i + 8 <= s.size()) {
            uint64_t block;
            std::memcpy(&block, s.data() + i, 8);
            if (block & 0x8080808080808080u) break;
            for (size_t k = 0; k < 8; ++k) out[k] = static_cast<unsigned char>(s[i + k]);
            out += 8;
            i += 8;
        }
        if (i == s.size()) break;
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            *out++ = c;
            ++i;
            continue;
        }
        char32_t cp;
        size_t need;
        if (c >= 0xC2 && c <= 0xDF) {
            cp = c & 0x1F;
            need = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            cp = c & 0x0F;
            need = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            cp = c & 0x07;
            need = 3;
        } else {
            *out++ = u'\uFFFD';
            ++i;
            continue;
        }
        size_t j = 1;
        for (; j <= need && i + j < s.size(); ++j) {
            unsigned char t = static_cast<unsigned char>(s[i + j]);
            if ((t & 0xC0) != 0x80) break;
            cp = (cp << 6) | (t & 0x3F);
        }
        bool overlong = (need == 2 && cp < 0x800) || (need == 3 && cp < 0x10000);
        if (j <= need || overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            *out++ = u'\uFFFD';
            i += j;  // skip the lead byte and the continuation bytes read
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *out++ = static_cast<char16_t>(cp);
        }
        i += need + 1;
    }
    return static_cast<size_t>(out - start);
}

inline std::u16string VorlinUtf8ToUtf16(std::string_view s) {
    std::u16string out(s.size(), u'\0');
    out.resize(VorlinPutUtf16(s, out.data()));
    return out;
}

inline std::string VorlinUtf16ToUtf8(std::u16string_view s) {
    // A unit gives at most 3 bytes (a surrogate pair 4 for its two units).
    std::string out(s.size() * 3, '\0');
    char* const start = out.data();
    char* p = start;
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t u = s[i];
        if (u < 0x80) {
            *p++ = static_cast<char>(u);
            continue;
        }
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            u = 0xFFFD;
        }
        p = VorlinPutUtf8(p, u);
    }
    out.resize(static_cast<size_t>(p - start));
    return out;
}

// A new BSTR holding the UTF-8 text (free with VorlinFreeString); converted
// straight into the BSTR, which is cut to size when the text is not ASCII.
inline BSTR VorlinNewString(std::string_view utf8) {
    if (utf8.size() > (UINT32_MAX - 6) / 2) return nullptr;
    BSTR s = VorlinAllocStringLen(nullptr, static_cast<uint32_t>(utf8.size()));
    if (!s) return nullptr;
    size_t n = VorlinPutUtf16(utf8, s);
    if (n == utf8.size()) return s;
    BSTR exact = VorlinAllocStringLen(s, static_cast<uint32_t>(n));
    VorlinFreeString(s);
    return exact;
}
// The UTF-8 text of a BSTR (null is empty).
inline std::string VorlinStringToUtf8(const OLECHAR* bstr) {
    if (!bstr) return std::string();
    return VorlinUtf16ToUtf8(std::u16string_view(bstr, VorlinStringLen(bstr)));
}
// The UTF-8 text of a 0-terminated UTF-16 text that need not be a BSTR.
inline std::string VorlinWideToUtf8(const OLECHAR* text) {
    if (!text) return std::string();
    size_t n = 0;
    while (text[n]) ++n;
    return VorlinUtf16ToUtf8(std::u16string_view(text, n));
}

// --- Ownership -----------------------------------------------------------

class TVorlinString {
public:
    TVorlinString() = default;
    explicit TVorlinString(std::string_view utf8) : m_value(VorlinNewString(utf8)) {}
    ~TVorlinString() { VorlinFreeString(m_value); }
    TVorlinString(const TVorlinString&) = delete;
    TVorlinString& operator=(const TVorlinString&) = delete;

    BSTR Get() const { return m_value; }
    // For an [out] parameter: frees what is held and hands out the slot.
    BSTR* Out() {
        VorlinFreeString(m_value);
        m_value = nullptr;
        return &m_value;
    }
    // Gives up ownership (for returning the string through an [out] slot).
    BSTR Detach() {
        BSTR s = m_value;
        m_value = nullptr;
        return s;
    }
    std::string Utf8() const { return VorlinStringToUtf8(m_value); }

private:
    BSTR m_value = nullptr;
};

template <typename T> class TComRef {
public:
    TComRef() = default;
    // Takes over a reference the caller already holds.
    explicit TComRef(T* adopted) : m_object(adopted) {}
    ~TComRef() { Reset(); }
    TComRef(const TComRef& other) : m_object(other.m_object) {
        if (m_object) m_object->AddRef();
    }
    TComRef& operator=(const TComRef& other) {
        if (other.m_object) other.m_object->AddRef();
        Reset();
        m_object = other.m_object;
        return *this;
    }
    TComRef(TComRef&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    TComRef& operator=(TComRef&& other) noexcept {
        if (this != &other) {
            Reset();
            m_object = other.m_object;
            other.m_object = nullptr;
        }
        return *this;
    }

    // Adds a reference of its own to a borrowed pointer.
    static TComRef Share(T* borrowed) {
        if (borrowed) borrowed->AddRef();
        return TComRef(borrowed);
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    // For an [out] parameter: releases what is held and hands out the slot.
    T** Out() {
        Reset();
        return &m_object;
    }
    T* Detach() {
        T* o = m_object;
        m_object = nullptr;
        return o;
    }
    void Reset() {
        if (m_object) m_object->Release();
        m_object = nullptr;
    }

private:
    T* m_object = nullptr;
};

// AddRef and Release for an object that implements one or more interfaces
// (TFirst, TOthers...); the object starts with one reference, owned by
// whoever created it, and deletes itself when the count drops to zero.
// QueryInterface answers IUnknown only (through TFirst); a class with
// interface ids of its own overrides it.
template <typename TFirst, typename... TOthers> class TRefCounted : public TFirst, public TOthers... {
public:
    HRESULT QueryInterface(const GUID& iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown) return E_NOINTERFACE;
        AddRef();
        *object = Identity();
        return S_OK;
    }
    uint32_t AddRef() override { return ++m_refCount; }
    uint32_t Release() override {
        uint32_t n = --m_refCount;
        if (n == 0) delete this;
        return n;
    }
    // The object's IUnknown, the same whichever interface it is reached by.
    IUnknown* Identity() { return static_cast<IUnknown*>(static_cast<TFirst*>(this)); }

protected:
    TRefCounted() = default;
    virtual ~TRefCounted() = default;

private:
    std::atomic<uint32_t> m_refCount{1};
};

} // namespace vorlin_sdk

#endif
