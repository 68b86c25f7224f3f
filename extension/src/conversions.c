/* Conversions between Ruby values and channel words and texts. */
#include "conversions.h"

#include <ruby/encoding.h>
#include <string.h>

#include "channel_client.h"
#include "ztl.h"

static int host_encoding_index;
static rb_encoding* host_encoding; /* looked up once: every text of a reply is made in it */

/* The names last made into keys. A script reads the same few category names
 * on every item, and finding an interned String costs a hash of its bytes and
 * a table lookup each time; comparing with these costs a few bytes. They are
 * marked through this array, so a name that drops out is free to go. */
enum { KEPT_KEYS = 16 };
static VALUE kept_keys[KEPT_KEYS];
static unsigned next_kept_key;

void ztl_init_conversions(void) {
  for (unsigned i = 0; i < KEPT_KEYS; ++i) {
    kept_keys[i] = Qnil;
    rb_gc_register_address(&kept_keys[i]);
  }
  int index = rb_enc_find_index(ztl_host_text_encoding());
  host_encoding_index = index >= 0 ? index : rb_utf8_encindex();
  host_encoding = rb_enc_from_index(host_encoding_index);
}

ZtlWord ztl_word(int32_t value) {
  const uint32_t u = (uint32_t)value;
  ZtlWord word = {{(uint8_t)u, (uint8_t)(u >> 8), (uint8_t)(u >> 16), (uint8_t)(u >> 24)}};
  return word;
}

int32_t ztl_word_at(const uint8_t* bytes) {
  const uint32_t u = (uint32_t)bytes[0] | ((uint32_t)bytes[1] << 8) | ((uint32_t)bytes[2] << 16) |
                     ((uint32_t)bytes[3] << 24);
  return (int32_t)u;
}

int32_t ztl_int_arg(VALUE value) {
  if (!RB_INTEGER_TYPE_P(value)) {
    rb_raise(rb_eTypeError, "wrong argument type %" PRIsVALUE " (expected Integer)", rb_obj_class(value));
  }
  return NUM2INT(value);
}

VALUE ztl_int_result(int32_t word) { return INT2NUM(word); }

int32_t ztl_truth_arg(VALUE value) { return value == Qtrue ? 1 : 0; }

VALUE ztl_truth_result(int32_t word) { return word != 0 ? Qtrue : Qfalse; }

/* A script's texts are written in its own encoding; the host reads the bytes
 * in its code page, so anything else would reach it garbled. ASCII is the
 * same in both and goes as it is. */
static VALUE in_host_encoding(VALUE string) {
  const int index = ENCODING_GET(string);
  if (index == host_encoding_index || index == rb_ascii8bit_encindex() || rb_enc_str_asciionly_p(string)) {
    return string;
  }
  return rb_str_encode(string, rb_enc_from_encoding(rb_enc_from_index(host_encoding_index)), 0, Qnil);
}

VALUE ztl_text_value(VALUE value) {
  volatile VALUE string = value;
  rb_string_value(&string);
  return in_host_encoding(string);
}

ZtlText ztl_text_bytes(VALUE string) {
  ZtlText text;
  text.bytes = RSTRING_PTR(string);
  text.length = strnlen(text.bytes, (size_t)RSTRING_LEN(string));
  return text;
}

int ztl_reads_as_host_text(VALUE string, VALUE host_text) {
  const VALUE text = rb_str_conv_enc(string, rb_enc_get(string), rb_enc_from_index(host_encoding_index));
  return RSTRING_LEN(text) == RSTRING_LEN(host_text) &&
         memcmp(RSTRING_PTR(text), RSTRING_PTR(host_text), (size_t)RSTRING_LEN(text)) == 0;
}

ZtlText ztl_text_arg(volatile VALUE* value) {
  *value = ztl_text_value(*value);
  return ztl_text_bytes(*value);
}

/* Under UTF-8 the String is made in it at once, without the general
 * association's checks: a reply text is made for every title and line. */
VALUE ztl_text_result(const uint8_t* bytes, size_t length) {
  const size_t used = bytes == NULL ? 0 : strnlen((const char*)bytes, length);
  if (host_encoding_index == rb_utf8_encindex()) return rb_utf8_str_new((const char*)bytes, (long)used);
  return rb_enc_str_new((const char*)bytes, (long)used, host_encoding);
}

VALUE ztl_text_room(long length) { return rb_enc_str_new(NULL, length, host_encoding); }

VALUE ztl_text_key(const char* bytes, size_t length) {
  for (unsigned i = 0; i < KEPT_KEYS; ++i) {
    const VALUE key = kept_keys[i];
    if (RB_TYPE_P(key, T_STRING) && (size_t)RSTRING_LEN(key) == length && memcmp(RSTRING_PTR(key), bytes, length) == 0)
      return key;
  }
  const VALUE key = rb_enc_interned_str(bytes, (long)length, host_encoding);
  kept_keys[next_kept_key++ % KEPT_KEYS] = key;
  return key;
}

int32_t ztl_time_arg(VALUE value) {
  if (NIL_P(value)) return 0;
  struct timeval tv = rb_time_timeval(value);
  /* The channel's word holds 1 to 2^31-1: 0 is "no date", so the host would
   * clear the date, and a time before it would be stored but read back as
   * nil; one past the top would reach the host as some other date. */
  if (tv.tv_sec <= 0 || tv.tv_sec > INT32_MAX) rb_raise(rb_eRangeError, "time out of range for Zentrella");
  return (int32_t)tv.tv_sec;
}

VALUE ztl_time_result(int32_t seconds) {
  if (seconds <= 0) return Qnil;
  return rb_time_new((time_t)seconds, 0);
}
