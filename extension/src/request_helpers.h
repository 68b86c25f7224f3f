/* The typed request helpers: each is one round trip through the channel and
 * turns the reply into a Ruby value. A missing reply (or one too short for
 * what is read) gives the helper's default: 0, nil or "".
 *
 * The handle_ helpers take the header's value word directly; the item_
 * helpers take a ZtlItem receiver (nil raises Ztl::Error "Can't access item"). */
#ifndef ZTL_REQUEST_HELPERS_H
#define ZTL_REQUEST_HELPERS_H

#include <ruby.h>
#include <stddef.h>
#include <stdint.h>

#include <ztl/request_codes.h>

#include "channel_client.h"

/* Sends one request and returns its reply (data NULL when empty). Raises
 * Ztl::Error when the host is gone or the reply is malformed, RuntimeError
 * "Out of Memory" when the reply cannot be allocated. The caller releases a
 * non-empty reply with ztl_reply_free. */
ZtlReply ztl_send(uint32_t code, uint32_t value, const void* payload, size_t length);

/* The index-th word of a reply, 0 when the reply is shorter. */
int32_t ztl_reply_word(const ZtlReply* reply, size_t index);

int32_t ztl_request_int(uint32_t code, const void* payload, size_t length);
VALUE ztl_request_string(uint32_t code, const void* payload, size_t length);

VALUE ztl_selector_item(int32_t selector);
VALUE ztl_selector_item_list(int32_t selector);

int32_t ztl_handle_request_int(uint32_t handle, uint32_t code, const void* payload, size_t length);
VALUE ztl_handle_request_item(uint32_t handle, uint32_t code, const void* payload, size_t length);
VALUE ztl_handle_request_item_list(uint32_t handle, uint32_t code);
VALUE ztl_handle_request_string(uint32_t handle, uint32_t code, const void* payload, size_t length);
VALUE ztl_handle_get_time(uint32_t handle, uint32_t code);
VALUE ztl_handle_set_time(uint32_t handle, VALUE time, uint32_t code);

int32_t ztl_item_request_int(VALUE item, uint32_t code, const void* payload, size_t length);
VALUE ztl_item_request_item(VALUE item, uint32_t code, const void* payload, size_t length);
VALUE ztl_item_request_item_list(VALUE item, uint32_t code);
VALUE ztl_item_request_string(VALUE item, uint32_t code, const void* payload, size_t length);
VALUE ztl_item_get_time(VALUE item, uint32_t code);
VALUE ztl_item_set_time(VALUE item, VALUE time, uint32_t code);

#endif /* ZTL_REQUEST_HELPERS_H */
