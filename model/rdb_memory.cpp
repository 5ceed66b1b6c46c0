#include <rdbxml/rdb_memory.h>

#include <new>

void* rdb_model_allocate(std::size_t size, MEM_TRACKER& tracker)
{
    void* storage = MEM_MANAGER::new_wrapper(size, tracker, "model/rdb_model");
    if (storage == nullptr)
        throw std::bad_alloc();
    return storage;
}

void rdb_model_release(void* pointer) noexcept { MEM_MANAGER::delete_wrapper(pointer, RDB_MODEL_TAG); }
