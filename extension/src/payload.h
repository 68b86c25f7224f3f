/* Builds a request payload the way the plug-in's reply writer builds a reply:
 * little-endian words, truth values as 1 or 0, texts as their bytes and one
 * NUL. A payload of a few words or a short text stays in the builder itself;
 * a longer one moves into a Ruby String. Either way a raise between building
 * and sending leaves nothing to free. Convert every argument first (a
 * conversion may run a script's to_str and raise), then build. */
#ifndef ZTL_PAYLOAD_H
#define ZTL_PAYLOAD_H

#include <ruby.h>
#include <stddef.h>
#include <stdint.h>

#include "conversions.h"

/* Most payloads are a handle, a few words or a title: no object for them. */
#define ZTL_PAYLOAD_INLINE 96

typedef struct ZtlPayload {
  VALUE buffer;  /* Qfalse while the bytes are inline */
  size_t length; /* of the inline bytes */
  uint8_t inline_bytes[ZTL_PAYLOAD_INLINE];
} ZtlPayload;

/* capacity is a hint; a total no String can hold raises Ztl::Error "Out of memory". */
ZtlPayload ztl_payload_new(size_t capacity);
void ztl_payload_word(ZtlPayload* payload, int32_t value);
void ztl_payload_handle(ZtlPayload* payload, uint32_t handle);
void ztl_payload_truth(ZtlPayload* payload, int truth);
void ztl_payload_text(ZtlPayload* payload, ZtlText text);
/* One NUL on its own: an empty text, or the end of a list of texts. */
void ztl_payload_nul(ZtlPayload* payload);

const void* ztl_payload_bytes(const ZtlPayload* payload);
size_t ztl_payload_length(const ZtlPayload* payload);

#endif /* ZTL_PAYLOAD_H */
