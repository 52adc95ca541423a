// artfile.h -- what the artwork generators (mkart, mkkart) share: bytes in
// little-endian order and whole files read and written.
#ifndef ARTFILE_H
#define ARTFILE_H

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

static inline void put16(Bytes &b, unsigned v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

static inline void put32(Bytes &b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

static inline bool read_file(const std::string &path, Bytes &out)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    uint8_t buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        out.insert(out.end(), buf, buf + n);
    fclose(f);
    return true;
}

static inline bool write_file(const std::string &path, const Bytes &b)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(b.data(), 1, b.size(), f) == b.size();
    return fclose(f) == 0 && ok;
}

#endif
