#include "compress_bytes.h"

#include "gzip_bytes.h"

#include <lzma.h>
#include <zstd.h>

const char* const COMPRESSED_FORMATS[3] = {"gzip", "zstd", "xz"};

namespace {

std::string zstd(const std::string& data)
{
    ZSTD_CCtx* context = ZSTD_createCCtx();
    if (context == nullptr)
        return std::string();
    ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
    std::string out(ZSTD_compressBound(data.size()), '\0');
    std::size_t n = ZSTD_compress2(context, &out[0], out.size(), data.data(), data.size());
    ZSTD_freeCCtx(context);
    out.resize(ZSTD_isError(n) ? 0 : n);
    return out;
}

std::string xz(const std::string& data, int check)
{
    std::string out(lzma_stream_buffer_bound(data.size()), '\0');
    std::size_t n = 0;
    lzma_ret rc = lzma_easy_buffer_encode(6, static_cast<lzma_check>(check), nullptr,
                                          reinterpret_cast<const uint8_t*>(data.data()), data.size(),
                                          reinterpret_cast<uint8_t*>(&out[0]), &n, out.size());
    out.resize(rc == LZMA_OK ? n : 0);
    return out;
}

}  // namespace

std::string compress_bytes(const std::string& format, const std::string& data, const COMPRESS_SHAPE& shape)
{
    static_assert(LZMA_CHECK_CRC64 == 4, "COMPRESS_SHAPE's default check");
    if (format == "gzip")
        return gzip_bytes(data, shape.gzip_name);
    if (format == "zstd")
        return zstd(data);
    if (format == "xz")
        return xz(data, shape.xz_check);
    return data;
}
