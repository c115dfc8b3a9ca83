#include "Platform/MediaRemote/ArtworkLoader.h"

#include <curl/curl.h>
#include <glib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <optional>
#include <thread>

namespace {

constexpr size_t maximumBytes = 16 * 1024 * 1024;
// A cover is small: a server that takes longer is not worth waiting for.
constexpr long connectTimeoutMilliseconds = 5000;
constexpr long transferTimeoutMilliseconds = 10000;
constexpr long maximumRedirects = 5;
// Wakes the fetching thread while it waits on a transfer that stalls.
constexpr int pollMilliseconds = 1000;

enum class Scheme { file, data, web, other };

Scheme schemeOf(const std::string &address)
{
    const std::string::size_type colon = address.find(':');
    std::string scheme = address.substr(0, colon == std::string::npos ? 0 : colon);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    if (scheme == "file")
        return Scheme::file;
    if (scheme == "data")
        return Scheme::data;
    if (scheme == "http" || scheme == "https")
        return Scheme::web;
    return Scheme::other;
}

void warn(const std::string &text)
{
    std::fprintf(stderr, "quib-bridge: %s\n", text.c_str());
    std::fflush(stderr);
}

// Addresses can be long (a data: address holds a whole image): the log gets
// their start.
std::string shortened(const std::string &address)
{
    constexpr std::string::size_type shown = 120;
    return address.size() <= shown ? address : address.substr(0, shown) + "...";
}

std::optional<std::string> percentDecoded(const std::string &text)
{
    int length = 0;
    char *decoded = curl_easy_unescape(nullptr, text.data(), static_cast<int>(text.size()), &length);
    if (!decoded)
        return std::nullopt;
    std::string result(decoded, static_cast<size_t>(length));
    curl_free(decoded);
    return result;
}

ArtworkLoader::Image imageOf(std::vector<unsigned char> bytes)
{
    if (bytes.empty() || bytes.size() > maximumBytes)
        return nullptr;
    return std::make_shared<const std::vector<unsigned char>>(std::move(bytes));
}

// "file:///path" or "file://localhost/path", percent-decoded. Some players
// leave the spaces of file names unescaped.
std::optional<std::string> localPath(const std::string &address)
{
    CURLU *url = curl_url();
    char *path = nullptr;
    std::optional<std::string> result;
    if (url && curl_url_set(url, CURLUPART_URL, address.c_str(), CURLU_ALLOW_SPACE) == CURLUE_OK
        && curl_url_get(url, CURLUPART_PATH, &path, CURLU_URLDECODE) == CURLUE_OK)
        result = path;
    curl_free(path);
    curl_url_cleanup(url);
    return result;
}

ArtworkLoader::Image readFile(const std::string &address)
{
    const std::optional<std::string> path = localPath(address);
    if (!path)
        return nullptr;
    std::ifstream file(*path, std::ios::binary | std::ios::ate);
    const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : -1;
    if (size <= 0 || static_cast<size_t>(size) > maximumBytes)
        return nullptr;
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char *>(bytes.data()), size))
        return nullptr;
    return imageOf(std::move(bytes));
}

// "data:[<media type>][;base64],<data>", the data percent-encoded in either
// form.
ArtworkLoader::Image decodeData(const std::string &address)
{
    const std::string::size_type comma = address.find(',');
    if (comma == std::string::npos)
        return nullptr;
    std::string header = address.substr(0, comma);
    std::transform(header.begin(), header.end(), header.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string base64Suffix = ";base64";
    const bool isBase64 = header.size() >= base64Suffix.size() && header.compare(header.size() - base64Suffix.size(), base64Suffix.size(), base64Suffix) == 0;
    const std::optional<std::string> payload = percentDecoded(address.substr(comma + 1));
    if (!payload)
        return nullptr;
    if (!isBase64)
        return imageOf(std::vector<unsigned char>(payload->begin(), payload->end()));
    gsize length = 0;
    guchar *decoded = g_base64_decode(payload->c_str(), &length);
    std::vector<unsigned char> bytes(decoded, decoded + length);
    g_free(decoded);
    return imageOf(std::move(bytes));
}

// One web fetch, on the fetching thread.
struct Transfer {
    std::string address;
    CURL *handle = nullptr;
    std::vector<unsigned char> body;
    bool tooLarge = false;
    char error[CURL_ERROR_SIZE] = {};

    explicit Transfer(std::string fetched)
        : address(std::move(fetched))
        , handle(curl_easy_init())
    {
        if (!handle)
            return;
        curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
        // Neither the address nor a redirect may lead to files or other
        // protocols, nor around in circles.
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, maximumRedirects);
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMilliseconds);
        curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, transferTimeoutMilliseconds);
        curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maximumBytes));
        curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_USERAGENT, "Quib");
        curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Transfer::receive);
    }
    ~Transfer() { curl_easy_cleanup(handle); }
    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;

    // A server that sends no length is cut off at the limit all the same.
    static size_t receive(char *data, size_t size, size_t count, void *self)
    {
        Transfer &transfer = *static_cast<Transfer *>(self);
        const size_t length = size * count;
        if (transfer.body.size() + length > maximumBytes) {
            transfer.tooLarge = true;
            return 0;
        }
        transfer.body.insert(transfer.body.end(), data, data + length);
        return length;
    }

    std::string failure(CURLcode result) const
    {
        if (tooLarge)
            return "larger than 16 MB";
        if (result != CURLE_OK)
            return error[0] ? error : curl_easy_strerror(result);
        if (body.empty())
            return "empty answer";
        return {};
    }
};

} // namespace

ArtworkLoader::ArtworkLoader(std::function<void()> fetched)
    : m_fetched(std::move(fetched))
{
}

ArtworkLoader::Image ArtworkLoader::image(const std::string &address)
{
    const Scheme scheme = schemeOf(address);
    if (scheme == Scheme::file)
        return readFile(address);

    std::lock_guard lock(m_mutex);
    if (address == m_address)
        return m_image;
    m_address = address;
    m_image.reset();
    m_state = State::done;
    switch (scheme) {
    case Scheme::data:
        m_image = decodeData(address);
        if (!m_image)
            warn("no artwork in " + shortened(address));
        break;
    case Scheme::web:
        m_state = State::fetching;
        startFetching();
        break;
    default:
        warn("artwork address not supported: " + shortened(address));
        break;
    }
    return m_image;
}

// Under m_mutex.
void ArtworkLoader::startFetching()
{
    if (m_multi) {
        m_wake.notify_one();
        curl_multi_wakeup(m_multi);
        return;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    m_multi = curl_multi_init();
    // Lives as long as the process, like the library.
    std::thread([this] { fetchLoop(); }).detach();
}

void ArtworkLoader::fetchLoop()
{
    CURLM *multi = m_multi;
    std::unique_ptr<Transfer> transfer;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return transfer || m_state == State::fetching; });
            const bool wanted = m_state == State::fetching && transfer && transfer->address == m_address;
            if (transfer && !wanted) {
                curl_multi_remove_handle(multi, transfer->handle);
                transfer.reset();
            }
            if (!transfer && m_state == State::fetching) {
                transfer = std::make_unique<Transfer>(m_address);
                if (!transfer->handle || curl_multi_add_handle(multi, transfer->handle) != CURLM_OK) {
                    transfer.reset();
                    m_state = State::done;
                    warn("cannot fetch artwork");
                    continue;
                }
            }
        }
        if (!transfer)
            continue;
        int running = 0;
        curl_multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE || message->easy_handle != transfer->handle)
                continue;
            const std::string failure = transfer->failure(message->data.result);
            curl_multi_remove_handle(multi, transfer->handle);
            const std::unique_ptr<Transfer> done = std::move(transfer);
            if (finish(done->address, std::move(done->body), failure) && m_fetched)
                m_fetched();
            break;
        }
        if (transfer)
            curl_multi_poll(multi, nullptr, 0, pollMilliseconds, nullptr);
    }
}

bool ArtworkLoader::finish(const std::string &address, std::vector<unsigned char> body, const std::string &failure)
{
    std::lock_guard lock(m_mutex);
    if (address != m_address || m_state != State::fetching)
        return false;
    m_state = State::done;
    if (!failure.empty()) {
        warn("no artwork from " + shortened(address) + ": " + failure);
        return false;
    }
    m_image = imageOf(std::move(body));
    return m_image != nullptr;
}
