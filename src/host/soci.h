// SOCI, for the code that talks to the database.
#ifndef EXTRATO_HOST_SOCI_H_
#define EXTRATO_HOST_SOCI_H_

// Debian builds SOCI with its Boost conversions switched on but does not ship Boost
// with it. Those conversions are header-only and unused here, so they are switched
// off before SOCI's own headers read the flags.
#include <soci/soci-config.h>
#undef SOCI_HAVE_BOOST
#undef SOCI_HAVE_BOOST_DATE_TIME

#include <soci/postgresql/soci-postgresql.h>
#include <soci/soci.h>
#include <soci/sqlite3/soci-sqlite3.h>

#endif  // EXTRATO_HOST_SOCI_H_
