/* The bridge channel between the plug-in (host side) and the Ruby extension
 * (client side): object names, sizes and the frame header. Plain C so that both
 * deliverables include it. */
#ifndef ZTL_CHANNEL_H
#define ZTL_CHANNEL_H

#include <stdint.h>

#define ZTL_ANNOUNCE_MAPPING_NAME "FILEMAP_ZTL_RUBY"
#define ZTL_ANNOUNCE_MAPPING_SIZE 1024
#define ZTL_HOST_WAIT_EVENT_NAME "EVENT_ZTL_RUBY_HOST_WAIT"
#define ZTL_CLIENT_WAIT_EVENT_NAME "EVENT_ZTL_RUBY_CLIENT_WAIT"

/* Per channel: these prefixes followed by the decimal channel number. */
#define ZTL_CHANNEL_MAPPING_PREFIX "FILEMAP_ZTL_RUBY"
#define ZTL_HOST_EVENT_PREFIX "EVENT_ZTL_RUBY_HOST"
#define ZTL_CLIENT_EVENT_PREFIX "EVENT_ZTL_RUBY_CLIENT"
/* Clients of one channel hold this mutex for a whole request and its reply, so
 * two scripts on one channel (one started by the other) never interleave. The
 * plug-in creates it with the channel and watches its owner during an exchange. */
#define ZTL_CLIENT_LOCK_PREFIX "MUTEX_ZTL_RUBY_CLIENT"

/* The frame: header and one chunk. */
#define ZTL_CHANNEL_MAPPING_SIZE 8192
#define ZTL_FRAME_HEADER_SIZE 20
#define ZTL_CHUNK_MAX 8172
/* The channel mapping holds the frame, then the control block. */
#define ZTL_CHANNEL_CONTROL_OFFSET ZTL_CHANNEL_MAPPING_SIZE
#define ZTL_CHANNEL_CONTROL_SIZE 64
#define ZTL_CHANNEL_OBJECT_SIZE (ZTL_CHANNEL_CONTROL_OFFSET + ZTL_CHANNEL_CONTROL_SIZE)

/* A host hands the script it starts its channel number in this environment
 * variable (decimal). The extension takes it over the announcement, so a
 * script always reaches the host that started it, whatever other hosts run. */
#define ZTL_CHANNEL_ENV "ZTL_CHANNEL"

/* The station's claim: word 0 holds the process id of the one host in the
 * namespace that is the station (it alone writes the announcement and waits
 * for external scripts), 0 when there is none. */
#define ZTL_STATION_MAPPING_NAME "FILEMAP_ZTL_RUBY_STATION"
#define ZTL_STATION_MAPPING_SIZE 64

/* Dispatch waits this long for a request before it lets the run do other work. */
#define ZTL_DISPATCH_WAIT_MS 100
/* An external script waits this long for a station to take it. */
#define ZTL_EXTERNAL_HANDSHAKE_MS 1000
/* The notify window's message for an external script (first user message + 2). */
#define ZTL_WM_EXT_MACRO 1026

typedef struct ZtlFrameHeader {
  uint32_t code;         /* request code; a reply repeats it */
  uint32_t value;        /* request-specific word, mostly a handle */
  uint32_t total_length; /* payload bytes of the whole message */
  uint32_t chunk_length; /* payload bytes in this chunk, 0..ZTL_CHUNK_MAX */
  uint32_t last;         /* 1 when this chunk ends the message */
} ZtlFrameHeader;

/* Channel states in the control block. A new mapping reads 0: a host that finds
 * anything else has met objects of an earlier channel still held by a client,
 * and takes another number. */
#define ZTL_CHANNEL_FRESH 0u
#define ZTL_CHANNEL_OPEN 1u
#define ZTL_CHANNEL_CLOSED 2u
/* Passing: the station looks whether a registered client still lives before
 * it closes; a client that meets this state asks again in a moment. */
#define ZTL_CHANNEL_CLOSING 3u
/* Clients of an external script's channel register here, so the station serves
 * the channel until the last of them has ended, not only the script it took. */
#define ZTL_CHANNEL_CLIENT_SLOTS 13

typedef struct ZtlChannelControl {
  uint32_t state;     /* ZTL_CHANNEL_FRESH / OPEN / CLOSED / CLOSING; set by the host */
  uint32_t host_pid;  /* the process serving the channel */
  /* 1 from the host's taking a request to its publishing the reply: a client
   * that inherits the lock from one that died inside an exchange waits for 0
   * before it writes the frame the host may still be answering into. */
  uint32_t serving;
  uint32_t clients[ZTL_CHANNEL_CLIENT_SLOTS]; /* registered client pids, 0 = free */
} ZtlChannelControl;

#ifdef __cplusplus
static_assert(sizeof(ZtlChannelControl) <= ZTL_CHANNEL_CONTROL_SIZE);
static_assert(sizeof(ZtlFrameHeader) == ZTL_FRAME_HEADER_SIZE);
static_assert(ZTL_FRAME_HEADER_SIZE + ZTL_CHUNK_MAX == ZTL_CHANNEL_MAPPING_SIZE);
#else
_Static_assert(sizeof(ZtlFrameHeader) == ZTL_FRAME_HEADER_SIZE, "frame header");
_Static_assert(sizeof(ZtlChannelControl) <= ZTL_CHANNEL_CONTROL_SIZE, "control block");
#endif

#endif /* ZTL_CHANNEL_H */
