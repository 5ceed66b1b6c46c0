// BRIM_PREFETCH: reads a BRIM_ZIFSTREAM ahead on a thread of its own, so
// that decompressing the input and using it run at the same time.
//
// The thread reads the stream into a few blocks allocated up front (never
// more memory than that, whatever the input) and hands them to the reader
// in order. It stops at the end of the data or where the stream went bad:
// the reader gets every byte the stream delivered before then, and only
// after that learns that it failed; the stream's error() and damage() then
// say why, as they would have had the reader read the stream itself.
//
// Only the thread touches the stream while it runs. Destroying the object,
// or stop(), ends the thread and waits for it; then the stream is the
// caller's again, at the point where the thread left it (blocks not yet
// handed out are dropped), and finish() on it checks the rest. The stream's
// process-wide progress hook is called on the thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class BRIM_ZIFSTREAM;

class BRIM_PREFETCH {
public:
    // Starts reading `stream` ahead, which must be open and outlive the
    // object, in `blocks` blocks of `block_size` bytes, each filled by reads
    // of `step` bytes (steps of the stream's own block size let it decode
    // straight into them). Null when the memory cannot be had or the thread
    // cannot be started: the caller then reads the stream itself.
    static std::unique_ptr<BRIM_PREFETCH> start(BRIM_ZIFSTREAM& stream, std::size_t block_size = 256 * 1024,
                                                std::size_t blocks = 4, std::size_t step = 64 * 1024);
    ~BRIM_PREFETCH();
    BRIM_PREFETCH(const BRIM_PREFETCH&) = delete;
    BRIM_PREFETCH& operator=(const BRIM_PREFETCH&) = delete;

    // Copies the next `n` bytes to `dst`, waiting for them as needed; fewer
    // only when the data has ended, the stream went bad or the thread was
    // stopped. Returns how many.
    std::size_t read(char* dst, std::size_t n);
    // After a read() that returned 0: whether the stream went bad (rather
    // than the data ending). Its error() and damage() may then be read.
    bool failed();

    // Bytes read() has handed out.
    std::uint64_t position() const { return m_position; }
    // Bytes of the input (compressed bytes) the stream had consumed when it
    // delivered the last byte handed out, counted at the end of the step
    // that held it: what the stream's own input_position() says after the
    // same bytes were read from it in reads of `step` bytes.
    std::uint64_t input_position() const { return m_input_position; }
    // The stream's input_size().
    std::uint64_t input_size() const { return m_input_size; }

    // Ends the thread and waits for it; read() then returns 0. Harmless
    // when it has ended already.
    void stop() noexcept;

private:
    enum STATE { RUNNING, ENDED, FAILED, STOPPED };

    // One block: its bytes, and where each step of it ended in the block
    // and in the input.
    struct BLOCK {
        char* m_data = nullptr;
        std::size_t m_size = 0;
        std::size_t m_steps = 0;
        std::size_t* m_step_end = nullptr;
        std::uint64_t* m_step_input = nullptr;
    };

    BRIM_PREFETCH(BRIM_ZIFSTREAM& stream, std::size_t block_size, std::size_t blocks, std::size_t step);
    bool allocate() noexcept;
    void run() noexcept;
    bool fill(BLOCK& block);
    bool next_block();
    void release_block();

    BRIM_ZIFSTREAM& m_stream;
    const std::size_t m_block_size;
    const std::size_t m_count;
    const std::size_t m_step;
    const std::size_t m_steps_per_block;
    const std::uint64_t m_input_size;
    std::unique_ptr<BLOCK[]> m_blocks;
    std::unique_ptr<char[]> m_bytes;
    std::unique_ptr<std::size_t[]> m_ends;
    std::unique_ptr<std::uint64_t[]> m_inputs;

    // Shared with the thread, under m_mutex: the filled blocks are m_head
    // and the m_filled - 1 after it (in a ring); the thread fills the one
    // after them.
    std::mutex m_mutex;
    std::condition_variable m_ready;  // a block was filled, or the thread ended
    std::condition_variable m_space;  // a block was handed back, or stop
    std::size_t m_head = 0;
    std::size_t m_filled = 0;
    STATE m_state = RUNNING;
    bool m_reader_waiting = false;
    bool m_thread_waiting = false;
    std::atomic<bool> m_stop{false};  // also read by the thread between steps
    bool m_bad = false;  // the stream went bad: set before m_state says so

    // The reader's own.
    BLOCK* m_current = nullptr;  // the block being handed out (still counted in m_filled)
    std::size_t m_offset = 0;    // bytes of it handed out
    std::size_t m_step_at = 0;   // its step that holds the last byte handed out
    std::uint64_t m_position = 0;
    std::uint64_t m_input_position = 0;

    std::thread m_thread;
};
