/* The version of ztl, defined here only: Ztl::VERSION, and the version of the
 * gem, which ztl.gemspec reads from this line. */
#ifndef ZTL_VERSION_H
#define ZTL_VERSION_H

#define ZTL_EXTENSION_VERSION "1.0.0"

#endif /* ZTL_VERSION_H */
