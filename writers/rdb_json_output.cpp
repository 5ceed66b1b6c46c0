#include "rdb_json_output.h"

#include <string>

#include "rdb_utf8.h"

void rdb_json_write_string(RDB_JSON_WRITER& json, const char* text, std::size_t length)
{
    if (rdb_utf8_is_valid(text, length)) {
        json.String(text, static_cast<rapidjson::SizeType>(length));
        return;
    }
    std::string repaired;
    repaired.reserve(length + 8);
    rdb_utf8_append_repaired(repaired, text, length);
    json.String(repaired.data(), static_cast<rapidjson::SizeType>(repaired.size()));
}
