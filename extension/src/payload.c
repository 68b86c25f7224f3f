/* The request payload builder. */
#include "payload.h"

#include <limits.h>

#include "ztl.h"

ZtlPayload ztl_payload_new(size_t capacity) {
  if (capacity > (size_t)LONG_MAX) rb_raise(ztl_eError, "Out of memory");
  ZtlPayload payload = {rb_str_buf_new((long)capacity)};
  return payload;
}

void ztl_payload_word(ZtlPayload* payload, int32_t value) {
  const ZtlWord word = ztl_word(value);
  rb_str_buf_cat(payload->buffer, (const char*)word.bytes, sizeof word.bytes);
}

void ztl_payload_handle(ZtlPayload* payload, uint32_t handle) { ztl_payload_word(payload, (int32_t)handle); }

void ztl_payload_truth(ZtlPayload* payload, int truth) { ztl_payload_word(payload, truth ? 1 : 0); }

void ztl_payload_text(ZtlPayload* payload, ZtlText text) {
  rb_str_buf_cat(payload->buffer, text.bytes, (long)text.length);
  ztl_payload_nul(payload);
}

void ztl_payload_nul(ZtlPayload* payload) { rb_str_buf_cat(payload->buffer, "", 1); }

const void* ztl_payload_bytes(const ZtlPayload* payload) { return RSTRING_PTR(payload->buffer); }

size_t ztl_payload_length(const ZtlPayload* payload) { return (size_t)RSTRING_LEN(payload->buffer); }
