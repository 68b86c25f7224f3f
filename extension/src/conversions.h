/* Conversions between Ruby values and channel words and texts, one place per
 * kind. Argument conversions raise the interpreter's TypeError (or RangeError
 * for a number that does not fit a word) before anything is sent. */
#ifndef ZTL_CONVERSIONS_H
#define ZTL_CONVERSIONS_H

#include <ruby.h>
#include <stddef.h>
#include <stdint.h>

/* A little-endian channel word, ready to be sent as (part of) a payload. */
typedef struct ZtlWord {
  uint8_t bytes[4];
} ZtlWord;

ZtlWord ztl_word(int32_t value);
int32_t ztl_word_at(const uint8_t* bytes);

/* Integers: an Integer that fits 32 signed bits. */
int32_t ztl_int_arg(VALUE value);
VALUE ztl_int_result(int32_t word);

/* Truth: only the object true sends 1; any nonzero word reads as true. */
int32_t ztl_truth_arg(VALUE value);
VALUE ztl_truth_result(int32_t word);

/* Texts: a String's bytes up to its first NUL, in the host's code page. */
typedef struct ZtlText {
  const char* bytes;
  size_t length; /* without the NUL */
} ZtlText;

/* The String to send for value: to_str, then re-encoded into the host's code
 * page when it holds text of another encoding (binary Strings and Strings
 * already in the code page keep their bytes). TypeError for a non-String,
 * an Encoding error for text the code page cannot hold; nothing is sent. */
VALUE ztl_text_value(VALUE value);
/* The bytes of a String from ztl_text_value, valid while it lives unchanged. */
ZtlText ztl_text_bytes(VALUE string);
/* Both at once, for a single argument: *value keeps the String alive. */
ZtlText ztl_text_arg(volatile VALUE* value);
/* Whether string, put into the host's code page as far as it goes, has the
 * bytes of host_text (a String from the host). Never raises for encodings. */
int ztl_reads_as_host_text(VALUE string, VALUE host_text);
/* A reply text: the bytes up to the first NUL (or the end), tagged with the
 * host's code page. */
VALUE ztl_text_result(const uint8_t* bytes, size_t length);
/* An unfilled String of length bytes in the host's code page, for a reply to
 * be copied into. */
VALUE ztl_text_room(long length);
/* The same text as a frozen, interned String: for Hash keys that repeat. */
VALUE ztl_text_key(const char* bytes, size_t length);

/* Times: nil is 0, anything else the whole seconds of a Time or a number,
 * from 1 to 2^31-1 (RangeError otherwise); a word of 0 or less reads as nil. */
int32_t ztl_time_arg(VALUE value);
VALUE ztl_time_result(int32_t seconds);

#endif /* ZTL_CONVERSIONS_H */
