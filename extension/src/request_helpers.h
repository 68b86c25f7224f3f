/* The typed request helpers: each is one round trip through the channel, with
 * the given handle in the header's value word (0 where the request names no
 * object), and turns the reply into a Ruby value. A missing reply (or one too
 * short for what is read) gives the helper's default: 0, nil or "".
 *
 * payload may be NULL for a request without one. Every class's methods are
 * written on these, whatever their handle names (item, document, file link). */
#ifndef ZTL_REQUEST_HELPERS_H
#define ZTL_REQUEST_HELPERS_H

#include <ruby.h>
#include <stddef.h>
#include <stdint.h>

#include <ztl/request_codes.h>

#include "channel_client.h"
#include "payload.h"

/* Sends one request and returns its reply (data NULL when empty). Raises
 * Ztl::Error when the host is gone or the reply is malformed, RuntimeError
 * "Out of Memory" when the reply cannot be allocated. The caller releases a
 * non-empty reply with ztl_reply_free. */
ZtlReply ztl_send(uint32_t code, uint32_t handle, const ZtlPayload* payload);

/* The index-th word of a reply, 0 when the reply is shorter. */
int32_t ztl_reply_word(const ZtlReply* reply, size_t index);

/* Reads the reply into a Ruby value; the reply is released even when the
 * reader raises. */
typedef VALUE (*ZtlReplyReader)(const ZtlReply* reply, VALUE context);
VALUE ztl_request_read(uint32_t code, uint32_t handle, const ZtlPayload* payload, ZtlReplyReader read,
                       VALUE context);

/* The first word of the reply. */
int32_t ztl_request_word(uint32_t code, uint32_t handle, const ZtlPayload* payload);
/* The first words of the reply into words[0..count); 0 when the reply was
 * empty (words then all 0), else 1. */
int ztl_request_words(uint32_t code, uint32_t handle, const ZtlPayload* payload, int32_t* words, size_t count);
/* The first word as true (nonzero) or false. */
VALUE ztl_request_truth(uint32_t code, uint32_t handle, const ZtlPayload* payload);
/* The first word as a ZtlItem, nil for 0. */
VALUE ztl_request_item(uint32_t code, uint32_t handle, const ZtlPayload* payload);
/* Handles up to the 0 word as an Array of ZtlItem; nil without a reply. */
VALUE ztl_request_item_list(uint32_t code, uint32_t handle, const ZtlPayload* payload);
/* The text up to its NUL, tagged with the host's code page; "" without a reply. */
VALUE ztl_request_text(uint32_t code, uint32_t handle, const ZtlPayload* payload);
/* As ztl_request_text, without a payload; Qundef for the empty reply, which
 * some requests give for a text the host could not read. */
VALUE ztl_request_long_text(uint32_t code, uint32_t handle);
/* The first word as a Time; nil for 0 or less. */
VALUE ztl_request_time(uint32_t code, uint32_t handle);
/* Sends text (converted to the host's code page, up to its first NUL, with
 * one NUL) and answers the first word of the reply as true or false. */
VALUE ztl_request_set_text(uint32_t code, uint32_t handle, VALUE text);
/* Copies source into handle (one handle word as the payload); a source of 0
 * sends nothing and answers false. */
VALUE ztl_request_assign(uint32_t code, uint32_t handle, uint32_t source);
/* Sends the seconds of time (0 for nil); the reply carries nothing, so the
 * result is true unless handle is 0. */
VALUE ztl_request_set_time(uint32_t code, uint32_t handle, VALUE time);

/* Request 1: a special item, wrapped in klass (ZtlItem or a subclass), or a list. */
VALUE ztl_selector_item(int32_t selector, VALUE klass);
VALUE ztl_selector_item_list(int32_t selector);

#endif /* ZTL_REQUEST_HELPERS_H */
