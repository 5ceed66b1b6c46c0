#include "brim_prefetch.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "brim_zifstream.h"
#include "gen_worker.h"

BRIM_PREFETCH::BRIM_PREFETCH(BRIM_ZIFSTREAM& stream, std::size_t block_size, std::size_t blocks, std::size_t step)
    : m_stream(stream), m_block_size(std::max<std::size_t>(block_size, 1)), m_count(std::max<std::size_t>(blocks, 2)),
      m_step(std::min(std::max<std::size_t>(step, 1), m_block_size)),
      m_steps_per_block((m_block_size + m_step - 1) / m_step), m_input_size(stream.input_size())
{
}

std::unique_ptr<BRIM_PREFETCH> BRIM_PREFETCH::start(BRIM_ZIFSTREAM& stream, std::size_t block_size,
                                                    std::size_t blocks, std::size_t step)
{
    // Everything is allocated here, on the caller's thread, before the
    // thread starts: it allocates nothing itself.
    std::unique_ptr<BRIM_PREFETCH> prefetch(new (std::nothrow) BRIM_PREFETCH(stream, block_size, blocks, step));
    if (prefetch == nullptr || !prefetch->allocate())
        return nullptr;
    BRIM_PREFETCH* self = prefetch.get();
    if (!gen_start_worker(prefetch->m_thread, [self] { self->run(); }))
        return nullptr;
    return prefetch;
}

bool BRIM_PREFETCH::allocate() noexcept
{
    if (m_count > SIZE_MAX / m_block_size || m_count > SIZE_MAX / sizeof(std::uint64_t) / m_steps_per_block)
        return false;
    m_blocks.reset(new (std::nothrow) BLOCK[m_count]);
    m_bytes.reset(new (std::nothrow) char[m_count * m_block_size]);
    m_ends.reset(new (std::nothrow) std::size_t[m_count * m_steps_per_block]);
    m_inputs.reset(new (std::nothrow) std::uint64_t[m_count * m_steps_per_block]);
    if (m_blocks == nullptr || m_bytes == nullptr || m_ends == nullptr || m_inputs == nullptr)
        return false;
    for (std::size_t i = 0; i < m_count; ++i) {
        m_blocks[i].m_data = m_bytes.get() + i * m_block_size;
        m_blocks[i].m_step_end = m_ends.get() + i * m_steps_per_block;
        m_blocks[i].m_step_input = m_inputs.get() + i * m_steps_per_block;
    }
    return true;
}

BRIM_PREFETCH::~BRIM_PREFETCH() { stop(); }

void BRIM_PREFETCH::stop() noexcept
{
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop.store(true, std::memory_order_relaxed);
            m_space.notify_one();
        }
        m_thread.join();
    }
    // Nothing more is handed out.
    m_current = nullptr;
    m_filled = 0;
    if (m_state == RUNNING)
        m_state = STOPPED;
}

// The thread: fills the free blocks in turn until the data ends, the stream
// goes bad or it is told to stop.
void BRIM_PREFETCH::run() noexcept
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        while (m_filled == m_count && !m_stop.load(std::memory_order_relaxed)) {
            m_thread_waiting = true;
            m_space.wait(lock);
            m_thread_waiting = false;
        }
        if (m_stop.load(std::memory_order_relaxed)) {
            m_state = STOPPED;
            break;
        }
        BLOCK& block = m_blocks[(m_head + m_filled) % m_count];
        lock.unlock();
        bool ended = fill(block);
        lock.lock();
        if (m_stop.load(std::memory_order_relaxed)) {
            m_state = STOPPED;
            break;
        }
        ++m_filled;
        if (ended)
            m_state = m_bad ? FAILED : ENDED;
        if (m_reader_waiting)
            m_ready.notify_one();
        if (ended)
            break;
    }
    // The stream is not touched from here on: the reader may use it as soon
    // as it sees the state.
    if (m_reader_waiting)
        m_ready.notify_one();
}

// Fills `block` step by step; true when the stream has nothing more to give
// (its data ended, or it went bad: m_bad). A step the stream fails delivers
// nothing, the steps before it stay.
bool BRIM_PREFETCH::fill(BLOCK& block)
{
    block.m_size = 0;
    block.m_steps = 0;
    while (block.m_size < m_block_size) {
        if (m_stop.load(std::memory_order_relaxed))
            return false;
        std::size_t want = std::min(m_step, m_block_size - block.m_size);
        std::size_t got = 0;
        try {
            m_stream.read(block.m_data + block.m_size, static_cast<std::streamsize>(want));
            got = static_cast<std::size_t>(m_stream.gcount());
        } catch (...) {
            // Only a stream asked to throw does: it went bad all the same.
            m_bad = true;
            return true;
        }
        if (got > 0) {
            block.m_size += got;
            block.m_step_end[block.m_steps] = block.m_size;
            block.m_step_input[block.m_steps] = m_stream.input_position();
            ++block.m_steps;
        }
        if (got < want) {
            m_bad = m_stream.bad();
            return true;
        }
    }
    return false;
}

// Makes the next filled block the one handed out, waiting for it; false
// when no more will come.
bool BRIM_PREFETCH::next_block()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (m_filled == 0 && m_state == RUNNING) {
        m_reader_waiting = true;
        m_ready.wait(lock);
        m_reader_waiting = false;
    }
    if (m_filled == 0)
        return false;
    m_current = &m_blocks[m_head];
    m_offset = 0;
    m_step_at = 0;
    return true;
}

// Hands the block just emptied back to the thread.
void BRIM_PREFETCH::release_block()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_current = nullptr;
    m_head = (m_head + 1) % m_count;
    --m_filled;
    if (m_thread_waiting)
        m_space.notify_one();
}

std::size_t BRIM_PREFETCH::read(char* dst, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        if (m_current == nullptr && !next_block())
            break;
        BLOCK& block = *m_current;
        std::size_t k = std::min(n - done, block.m_size - m_offset);
        std::memcpy(dst + done, block.m_data + m_offset, k);
        m_offset += k;
        done += k;
        m_position += k;
        if (m_offset > 0) {
            while (block.m_step_end[m_step_at] < m_offset)
                ++m_step_at;
            m_input_position = block.m_step_input[m_step_at];
        }
        if (m_offset == block.m_size)
            release_block();
    }
    return done;
}

bool BRIM_PREFETCH::failed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_filled == 0 && m_state == FAILED;
}
