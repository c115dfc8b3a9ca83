#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The image behind a player's art address. file:// is read at each request (a
// player may write the next song's cover into the same file); data: is
// decoded; http:// and https:// are fetched on a thread of the loader, so no
// request waits for the network. The last data or web address asked for is
// remembered with its image, or with its failure, which is reported once: a
// refresh neither decodes nor fetches again.
class ArtworkLoader {
public:
    using Image = std::shared_ptr<const std::vector<unsigned char>>;

    // `fetched` runs on the loader's thread after a fetched image arrived.
    explicit ArtworkLoader(std::function<void()> fetched);
    ArtworkLoader(const ArtworkLoader &) = delete;
    ArtworkLoader &operator=(const ArtworkLoader &) = delete;

    // The image at `address`; null while it is fetched and when there is none.
    // Asking for another data or web address drops a fetch still running.
    Image image(const std::string &address);

private:
    enum class State { fetching, done };

    void startFetching();
    void fetchLoop();
    // Keeps what a fetch of `address` brought, unless another address was
    // asked for meanwhile; true when it brought an image.
    bool finish(const std::string &address, std::vector<unsigned char> body, const std::string &failure);

    std::function<void()> m_fetched;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    // Under m_mutex: the data or web address asked for last, and its image.
    std::string m_address;
    State m_state = State::done;
    Image m_image;
    // The fetching thread's CURLM, created with it; the thread alone uses it,
    // others only wake it.
    void *m_multi = nullptr;
};
