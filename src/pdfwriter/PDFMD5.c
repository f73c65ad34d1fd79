/* MD5 message digest. Words are read and written byte by byte, so the code
   gives the same digest on hosts of either byte order. */
#include "opdfInternal.h"

#include <stdlib.h>
#include <string.h>

static uint32_t rol(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

static uint32_t load32(const unsigned char* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static void store32(unsigned char* p, uint32_t v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

void md5Init(PDFMD5Context* ctx)
{
    ctx->state[0] = 0x67452301u;
    ctx->state[1] = 0xefcdab89u;
    ctx->state[2] = 0x98badcfeu;
    ctx->state[3] = 0x10325476u;
    ctx->count[0] = ctx->count[1] = 0;
    memset(ctx->block, 0, sizeof ctx->block);
}

static const uint32_t K[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
    0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
    0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
    0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
    0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
    0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
    0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
    0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
    0xeb86d391};

static const int S[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                          5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                          4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                          6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

void md5Transform(PDFMD5Context* ctx, const unsigned char block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; i++)
        x[i] = load32(block + 4 * i);
    uint32_t a = ctx->state[0], b = ctx->state[1], c = ctx->state[2], d = ctx->state[3];
    for (int i = 0; i < 64; i++) {
        uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) & 15;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) & 15;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) & 15;
        }
        uint32_t t = d;
        d = c;
        c = b;
        b = b + rol(a + f + K[i] + x[g], S[i]);
        a = t;
    }
    ctx->state[0] += a;
    ctx->state[1] += b;
    ctx->state[2] += c;
    ctx->state[3] += d;
}

void md5Update(PDFMD5Context* ctx, const unsigned char* bytes, unsigned n)
{
    if (!bytes || !n)
        return;
    unsigned used = ctx->count[0] & 63;
    uint32_t low = ctx->count[0] + n;
    if (low < ctx->count[0])
        ctx->count[1]++;
    ctx->count[0] = low;
    if (used) {
        unsigned take = 64 - used;
        if (n < take) {
            memcpy(ctx->block + used, bytes, n);
            return;
        }
        memcpy(ctx->block + used, bytes, take);
        md5Transform(ctx, ctx->block);
        bytes += take;
        n -= take;
    }
    while (n >= 64) {
        md5Transform(ctx, bytes);
        bytes += 64;
        n -= 64;
    }
    memcpy(ctx->block, bytes, n);
}

void md5Final(unsigned char digest[16], PDFMD5Context* ctx)
{
    unsigned used = ctx->count[0] & 63;
    uint32_t bitsLow = ctx->count[0] << 3;
    uint32_t bitsHigh = ctx->count[1] << 3 | ctx->count[0] >> 29;
    ctx->block[used++] = 0x80;
    if (used > 56) {
        memset(ctx->block + used, 0, 64 - used);
        md5Transform(ctx, ctx->block);
        used = 0;
    }
    memset(ctx->block + used, 0, 56 - used);
    store32(ctx->block + 56, bitsLow);
    store32(ctx->block + 60, bitsHigh);
    md5Transform(ctx, ctx->block);
    for (int i = 0; i < 4; i++)
        store32(digest + 4 * i, ctx->state[i]);
    memset(ctx->state, 0, 8);
}

char* md5ToHex(const unsigned char* bytes, unsigned n)
{
    if (!bytes || !n)
        return NULL;
    char* out = (char*)_opdf_checkAlloc(malloc((size_t)n * 2 + 1));
    if (out)
        _opdf_toHexText(bytes, out, (int)n, 0);
    return out;
}
