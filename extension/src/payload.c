/* The request payload builder. */
#include "payload.h"

#include <limits.h>
#include <string.h>

#include "ztl.h"

ZtlPayload ztl_payload_new(size_t capacity) {
  if (capacity > (size_t)LONG_MAX) rb_raise(ztl_eError, "Out of memory");
  ZtlPayload payload = {Qfalse, 0, {0}};
  if (capacity > ZTL_PAYLOAD_INLINE) payload.buffer = rb_str_buf_new((long)capacity);
  return payload;
}

/* Inline while the bytes fit, then in a String that takes the inline ones first. */
static void append(ZtlPayload* payload, const void* bytes, size_t length) {
  if (payload->buffer == Qfalse && length <= ZTL_PAYLOAD_INLINE - payload->length) {
    memcpy(payload->inline_bytes + payload->length, bytes, length);
    payload->length += length;
    return;
  }
  if (length > (size_t)LONG_MAX) rb_raise(ztl_eError, "Out of memory");
  if (payload->buffer == Qfalse) {
    payload->buffer = rb_str_buf_new((long)(payload->length + length));
    rb_str_buf_cat(payload->buffer, (const char*)payload->inline_bytes, (long)payload->length);
  }
  rb_str_buf_cat(payload->buffer, bytes, (long)length);
}

void ztl_payload_word(ZtlPayload* payload, int32_t value) {
  const ZtlWord word = ztl_word(value);
  append(payload, word.bytes, sizeof word.bytes);
}

void ztl_payload_handle(ZtlPayload* payload, uint32_t handle) { ztl_payload_word(payload, (int32_t)handle); }

void ztl_payload_truth(ZtlPayload* payload, int truth) { ztl_payload_word(payload, truth ? 1 : 0); }

void ztl_payload_text(ZtlPayload* payload, ZtlText text) {
  append(payload, text.bytes, text.length);
  ztl_payload_nul(payload);
}

void ztl_payload_nul(ZtlPayload* payload) { append(payload, "", 1); }

const void* ztl_payload_bytes(const ZtlPayload* payload) {
  return payload->buffer == Qfalse ? (const void*)payload->inline_bytes : (const void*)RSTRING_PTR(payload->buffer);
}

size_t ztl_payload_length(const ZtlPayload* payload) {
  return payload->buffer == Qfalse ? payload->length : (size_t)RSTRING_LEN(payload->buffer);
}
