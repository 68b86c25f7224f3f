#include "requests/line_breaks.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#include <platform/codepage.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace scriptlink {

namespace {

using platform::codepage::CodePage;

// The code page is looked up once per text: the lookup is far dearer than a
// byte, and a text may hold millions of them. Only code page 932 has lead bytes.
bool IsLead(char byte, CodePage page) {
  return page == CodePage::cp932 && platform::codepage::is_lead_byte(static_cast<std::uint8_t>(byte), page);
}

// True when the last byte is a line break of its own: not part of a double-byte character.
bool EndsWithLineBreak(std::string_view text, CodePage page) {
  if (text.empty() || (text.back() != '\n' && text.back() != '\r')) return false;
  if (page != CodePage::cp932) return true;
  std::size_t p = 0;
  while (p < text.size() - 1) p += IsLead(text[p], page) ? 2 : 1;
  return p == text.size() - 1 && !IsLead(text[p], page);
}

}  // namespace

// Without double-byte characters every CR goes. Nothing moves before the
// first CR; after it, the text moves in blocks of 16 bytes: a block without a
// CR whole, a block with one as the two pieces around it. A line is a few
// dozen bytes, so this beats finding each CR and moving each line.
CarriageReturnStripper::CarriageReturnStripper(char* text, std::size_t length) : text_(text), length_(length) {
  if (platform::codepage::current() == CodePage::cp932) {
    StripDoubleByteText();
    return;
  }
  const void* first = std::memchr(text, '\r', length);
  in_ = out_ = first == nullptr ? length : static_cast<std::size_t>(static_cast<const char*>(first) - text);
}

// In code page 932 a CR may be the second byte of a character, so the text is
// walked from its start, whole, and the runs between the CRs move as they are.
void CarriageReturnStripper::StripDoubleByteText() {
  std::size_t run = 0;  // the first byte not looked at or kept yet
  auto keep_run = [&](std::size_t end) {
    if (run != out_) std::memmove(text_ + out_, text_ + run, end - run);
    out_ += end - run;
  };
  for (std::size_t p = 0; p < length_;) {
    if (IsLead(text_[p], CodePage::cp932)) {
      p += 2;
      continue;
    }
    if (text_[p] == '\r') {
      keep_run(p);
      run = p + 1;
    }
    ++p;
  }
  keep_run(length_);
  in_ = length_;
}

std::size_t CarriageReturnStripper::kept_length() const noexcept {
  std::size_t crs = 0;
  std::size_t at = in_;
#if defined(__SSE2__)
  // Each byte lane counts its CRs (a match is -1, taken away); the lanes are
  // summed before any of them can pass 255.
  const __m128i cr = _mm_set1_epi8('\r');
  while (at + 16 <= length_) {
    __m128i lanes = _mm_setzero_si128();
    for (int round = 0; round < 255 && at + 16 <= length_; ++round, at += 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_ + at));
      lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(block, cr));
    }
    const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
    crs += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) + static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
  }
#endif
  for (; at < length_; ++at) crs += text_[at] == '\r' ? 1 : 0;
  return out_ + (length_ - in_) - crs;
}

// Works on locals: stores through the text (a char pointer, which may alias
// anything) would otherwise make the compiler reload the members each time.
void CarriageReturnStripper::StripTo(std::size_t end) {
  char* const text = text_;
  const std::size_t length = length_;
  std::size_t in = in_;
  std::size_t out = out_;
  const auto keep_bytes = [&](std::size_t until) {
    for (; in < until; ++in) {
      if (text[in] != '\r') text[out++] = text[in];
    }
  };
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  // A block's stores reach 16 bytes past out: only once out trails in by 16
  // do they stay clear of bytes not read yet. The piece after a CR is read up
  // to 16 bytes past its block, hence the 32.
  while (out < end && in + 32 <= length) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + in));
    const auto crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, cr)));
    if (in - out < 16 || (crs & (crs - 1)) != 0) {
      keep_bytes(in + 16);
      continue;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(text + out), block);
    if (crs == 0) {
      out += 16;
    } else {
      const auto at = static_cast<std::size_t>(std::countr_zero(crs));
      const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + in + at + 1));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(text + out + at), after);
      out += 15;
    }
    in += 16;
  }
#endif
  while (out < end && in < length) keep_bytes(std::min(length, in + 16));
  in_ = in;
  out_ = out;
}

std::size_t StripCarriageReturnsInPlace(char* text, std::size_t length) {
  CarriageReturnStripper stripper(text, length);
  stripper.StripTo(length);
  return stripper.stripped();
}

std::string StripCarriageReturns(std::string_view text) {
  std::string result(text);
  result.resize(StripCarriageReturnsInPlace(result.data(), result.size()));
  return result;
}

std::size_t NormalizedCapacity(std::size_t length) { return 2 * length + 16; }

// A break (CR LF, lone CR, lone LF) becomes CR LF: a lone LF gets a CR
// before it, a lone CR an LF after it, and everything else is copied. Each
// byte's share depends on its neighbours only, so the text goes 16 bytes at a
// time: a block with at most one lone break as two stores around the byte it
// gains. CR and LF are never part of a double-byte character, so only the
// final break needs the code page.
std::size_t NormalizeLineBreaksInto(std::string_view text, char* out) {
  std::size_t length = text.size();  // cut at the first NUL once it is seen
  const char* in = text.data();
  std::size_t at = 0;
  std::size_t put = 0;
  const auto copy_byte = [&] {
    const char byte = in[at];
    if (byte == '\n' && (at == 0 || in[at - 1] != '\r')) out[put++] = '\r';
    out[put++] = byte;
    if (byte == '\r' && (at + 1 == length || in[at + 1] != '\n')) out[put++] = '\n';
    ++at;
  };
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  // The piece after a gained byte is read up to 16 bytes past its block.
  while (at + 32 <= length) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
    const auto nuls = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_setzero_si128())));
    if (nuls != 0) {
      length = at + static_cast<std::size_t>(std::countr_zero(nuls));
      break;
    }
    const auto crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, cr)));
    const auto lfs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + put), block);  // the capacity leaves room
    if ((crs | lfs) == 0) {
      at += 16;
      put += 16;
      continue;
    }
    const unsigned cr_before = (crs << 1) | (at > 0 && in[at - 1] == '\r' ? 1u : 0u);
    const unsigned lf_after = (lfs >> 1) | (in[at + 16] == '\n' ? 0x8000u : 0u);
    const unsigned lone_lfs = lfs & ~cr_before;
    const unsigned lone_crs = crs & ~lf_after;
    const unsigned gains = lone_lfs | lone_crs;
    if (gains == 0) {
      at += 16;
      put += 16;
    } else if ((gains & (gains - 1)) == 0) {
      // One byte gained: a CR before a lone LF, an LF after a lone CR.
      const auto lone = static_cast<std::size_t>(std::countr_zero(gains));
      const bool before = lone_lfs != 0;
      const std::size_t split = before ? lone : lone + 1;
      out[put + split] = before ? '\r' : '\n';
      const __m128i rest = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at + split));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + put + split + 1), rest);
      at += 16;
      put += 17;
    } else {
      for (const std::size_t end = at + 16; at < end;) copy_byte();
    }
  }
#endif
  while (at < length && in[at] != '\0') copy_byte();
  text = text.substr(0, at);
  // A final LF that is the second byte of a double-byte character was no
  // break of its own: it does not end the text with one.
  const char last = text.empty() ? '\0' : text.back();
  if ((last == '\r' || last == '\n') && !EndsWithLineBreak(text, platform::codepage::current())) put -= 2;
  return put;
}

std::string NormalizeLineBreaks(std::string_view text) {
  const auto buffer = std::make_unique_for_overwrite<char[]>(NormalizedCapacity(text.size()));
  return std::string(buffer.get(), NormalizeLineBreaksInto(text, buffer.get()));
}

}  // namespace scriptlink
