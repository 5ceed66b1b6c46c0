#include "rdb_xml_platform.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>

#include <xercesc/framework/MemoryManager.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PanicHandler.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "rdb_xml_context.h"

using namespace xercesc;

namespace {

// The reserve: 256 KB, in blocks small enough for the allocator to keep in
// its heap when they are let go, where the set-up's next blocks find room.
constexpr std::size_t RESERVE_BLOCK = 32 << 10;
constexpr int RESERVE_BLOCKS = 8;

// The platform's memory manager, for the life of the process: the set-up's
// allocations, and the blocks the parser takes for the platform later.
class RDB_XML_PLATFORM_MEMORY : public MemoryManager {
public:
    // Takes the reserve; false without memory for it.
    bool reserve()
    {
        for (std::atomic<void*>& block : m_reserve) {
            if (block.load() == nullptr)
                block = ::operator new(RESERVE_BLOCK, std::nothrow);
            if (block.load() == nullptr)
                return false;
        }
        return true;
    }

    // Gives the reserve back to the allocator; true if there was any.
    bool release_reserve()
    {
        bool released = false;
        for (std::atomic<void*>& block : m_reserve) {
            if (void* p = block.exchange(nullptr)) {
                ::operator delete(p);
                released = true;
            }
        }
        return released;
    }

    void* allocate(XMLSize_t size) override
    {
        void* p = ::operator new(size, std::nothrow);
        if (p == nullptr && release_reserve())
            p = ::operator new(size, std::nothrow);
        if (p == nullptr)
            throw OutOfMemoryException();
        return p;
    }

    void deallocate(void* p) override { ::operator delete(p); }
    MemoryManager* getExceptionMemoryManager() override { return this; }

private:
    std::atomic<void*> m_reserve[RESERVE_BLOCKS] = {};
};

// The platform's memory manager while the set-up runs, for the new handler
// below (set and cleared under the set-up's lock).
std::atomic<RDB_XML_PLATFORM_MEMORY*> g_setting_up{nullptr};
std::atomic<std::new_handler> g_previous_new_handler{nullptr};

// The new handler while the set-up runs: the set-up also allocates with the
// global operator new, past the platform's memory manager. A refused block
// lets the reserve go and is tried again; with no reserve left (or on
// another thread once it is gone) it is the handler that was there before.
void release_reserve_on_failure()
{
    RDB_XML_PLATFORM_MEMORY* memory = g_setting_up.load();
    if (memory != nullptr && memory->release_reserve())
        return;
    std::new_handler previous = g_previous_new_handler.load();
    if (previous == nullptr)
        throw std::bad_alloc();
    previous();
}

// The XML parser's way out of a failure it cannot go on from is to end the
// process. Ours ends the parse instead: the exception passes out of the
// parser like any other that ends a parse.
class RDB_XML_PANIC_HANDLER : public PanicHandler {
public:
    void panic(const PanicHandler::PanicReasons reason) override
    {
        throw RDB_XML_STOP{RDB_XML_STOP::PANIC, PanicHandler::getPanicReasonString(reason)};
    }
};

// Whether the set-up failed for want of memory, for the exception being
// handled. The set-up does nothing but allocate and load the transcoding
// service: memory refused comes as OutOfMemoryException or std::bad_alloc,
// or, out of the set-up of the static tables, as that panic; a transcoder
// the service could not make was refused memory when the allocator said so
// (`error`, errno).
bool ran_out_of_memory(int error)
{
    try {
        throw;
    } catch (const OutOfMemoryException&) {
        return true;
    } catch (const std::bad_alloc&) {
        return true;
    } catch (const XMLException& exc) {
        return exc.getCode() == XMLExcepts::Out_Of_Memory || error == ENOMEM;
    } catch (const RDB_XML_STOP& stop) {
        const char* static_tables = PanicHandler::getPanicReasonString(PanicHandler::Panic_AllStaticInitErr);
        return stop.m_kind == RDB_XML_STOP::OUT_OF_MEMORY || std::strcmp(stop.m_what, static_tables) == 0 ||
               error == ENOMEM;
    } catch (...) {
        return error == ENOMEM;
    }
}

}  // namespace

void rdb_xml_initialize_platform()
{
    static RDB_XML_PANIC_HANDLER panic_handler;
    // Never destroyed: the platform it serves lives as long as the process.
    static RDB_XML_PLATFORM_MEMORY* memory = nullptr;
    static std::mutex mutex;
    static bool initialized = false;
    static const char* failure = nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    if (initialized)
        return;
    if (failure != nullptr)
        throw RDB_XML_STOP{RDB_XML_STOP::PANIC, failure};
    if (memory == nullptr)
        memory = new (std::nothrow) RDB_XML_PLATFORM_MEMORY;
    if (memory == nullptr || !memory->reserve()) {
        if (memory != nullptr)
            memory->release_reserve();
        rdb_xml_out_of_memory("the XML parser's set-up");
    }
    g_setting_up = memory;
    g_previous_new_handler = std::get_new_handler();
    std::set_new_handler(release_reserve_on_failure);
    errno = 0;
    try {
        XMLPlatformUtils::Initialize(XMLUni::fgXercescDefaultLocale, nullptr, &panic_handler, memory);
    } catch (...) {
        int error = errno;
        std::set_new_handler(g_previous_new_handler);
        g_setting_up = nullptr;
        memory->release_reserve();
        // Half set up: no later parse can use the platform. Left to this
        // are the allocations of the transcoding library, which makes the
        // local code page's transcoder with malloc of its own.
        bool out_of_memory = ran_out_of_memory(error);
        failure = out_of_memory ? "the XML platform could not be set up: memory ran out during its set-up"
                                : "the XML platform could not be set up";
        if (out_of_memory)
            rdb_xml_out_of_memory("the XML parser's set-up");
        throw RDB_XML_STOP{RDB_XML_STOP::PANIC, failure};
    }
    std::set_new_handler(g_previous_new_handler);
    g_setting_up = nullptr;
    memory->release_reserve();
    initialized = true;
}
