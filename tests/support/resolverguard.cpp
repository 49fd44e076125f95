// Name look-ups are refused in every test executable: the entry points of the C
// library's resolver are defined here, in the executable itself, so they take
// the place of the library's for Qt and for any other library the test loads.
// Address literals and "localhost" are answered without the resolver; any other
// name ends the test at once with a message naming the caller's host name.

#include "tests/support/resolverguard.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void refuse(const char* call, const char* name)
{
    std::fprintf(stderr,
                 "FATAL: a test asked the resolver for \"%s\" (%s): tests talk to loopback addresses only and never "
                 "look up a host name\n",
                 name ? name : "(null)", call);
    std::fflush(stderr);
    std::abort();
}

template <typename F>
F next(const char* symbol)
{
    void* found = ::dlsym(RTLD_NEXT, symbol);
    if (!found) {
        std::fprintf(stderr, "FATAL: the resolver guard found no %s to hand address literals to\n", symbol);
        std::abort();
    }
    return reinterpret_cast<F>(found);
}

bool isLocalhost(const char* node) { return node && ::strcasecmp(node, "localhost") == 0; }

bool isAddressLiteral(const char* node)
{
    in6_addr scratch;
    return node && (::inet_pton(AF_INET, node, &scratch) == 1 || ::inet_pton(AF_INET6, node, &scratch) == 1);
}

bool isLoopback(const sockaddr* address)
{
    if (!address)
        return false;
    if (address->sa_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
        return (ntohl(v4->sin_addr.s_addr) >> 24) == 127;
    }
    if (address->sa_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
        return IN6_IS_ADDR_LOOPBACK(&v6->sin6_addr);
    }
    return false;
}

} // namespace

namespace testsupport {
bool resolverGuardLinked() { return true; }
} // namespace testsupport

extern "C" {

int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** res)
{
    using Real = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const Real real = next<Real>("getaddrinfo");
    addrinfo numeric{};
    if (hints)
        numeric = *hints;
    if (isLocalhost(node))
        node = numeric.ai_family == AF_INET6 ? "::1" : "127.0.0.1";
    else if (node && !isAddressLiteral(node))
        refuse("getaddrinfo", node);
    numeric.ai_flags |= AI_NUMERICHOST;
    return real(node, service, &numeric, res);
}

int getnameinfo(const sockaddr* address, socklen_t length, char* host, socklen_t hostLength, char* service,
                socklen_t serviceLength, int flags)
{
    using Real = int (*)(const sockaddr*, socklen_t, char*, socklen_t, char*, socklen_t, int);
    static const Real real = next<Real>("getnameinfo");
    if (host && !(flags & NI_NUMERICHOST)) {
        if (!isLoopback(address))
            refuse("getnameinfo", "a non-loopback address");
        flags |= NI_NUMERICHOST;
    }
    return real(address, length, host, hostLength, service, serviceLength, flags);
}

hostent* gethostbyname(const char* name) { refuse("gethostbyname", name); }
hostent* gethostbyname2(const char* name, int) { refuse("gethostbyname2", name); }
int gethostbyname_r(const char* name, hostent*, char*, size_t, hostent**, int*) { refuse("gethostbyname_r", name); }
int gethostbyname2_r(const char* name, int, hostent*, char*, size_t, hostent**, int*)
{
    refuse("gethostbyname2_r", name);
}
hostent* gethostbyaddr(const void*, socklen_t, int) { refuse("gethostbyaddr", "an address"); }
int gethostbyaddr_r(const void*, socklen_t, int, hostent*, char*, size_t, hostent**, int*)
{
    refuse("gethostbyaddr_r", "an address");
}

// The raw DNS queries (resolv.h names them __res_*; newer C libraries export both).
int res_query(const char* name, int, int, unsigned char*, int) { refuse("res_query", name); }
int __res_query(const char* name, int, int, unsigned char*, int) { refuse("res_query", name); }
int res_search(const char* name, int, int, unsigned char*, int) { refuse("res_search", name); }
int __res_search(const char* name, int, int, unsigned char*, int) { refuse("res_search", name); }
int res_querydomain(const char* name, const char*, int, int, unsigned char*, int) { refuse("res_querydomain", name); }
int __res_querydomain(const char* name, const char*, int, int, unsigned char*, int) { refuse("res_querydomain", name); }
int res_nquery(void*, const char* name, int, int, unsigned char*, int) { refuse("res_nquery", name); }
int __res_nquery(void*, const char* name, int, int, unsigned char*, int) { refuse("res_nquery", name); }
int res_nsearch(void*, const char* name, int, int, unsigned char*, int) { refuse("res_nsearch", name); }
int __res_nsearch(void*, const char* name, int, int, unsigned char*, int) { refuse("res_nsearch", name); }
int res_send(const unsigned char*, int, unsigned char*, int) { refuse("res_send", "a prepared query"); }
int __res_send(const unsigned char*, int, unsigned char*, int) { refuse("res_send", "a prepared query"); }
int res_nsend(void*, const unsigned char*, int, unsigned char*, int) { refuse("res_nsend", "a prepared query"); }
int __res_nsend(void*, const unsigned char*, int, unsigned char*, int) { refuse("res_nsend", "a prepared query"); }

} // extern "C"
