#include "Audio/AppVolumeTap.h"

#include <QUuid>

#include <algorithm>

namespace {

// 0 or less (and not a number) gives 0, above 1 gives 1.
float clampedGain(float gain)
{
    return gain > 0.0f ? std::min(gain, 1.0f) : 0.0f;
}

} // namespace

std::unique_ptr<AppVolumeTap> AppVolumeTap::create(AudioSystem &audio, const QString &appID, const QList<AudioObjectID> &processObjects,
                                                   const QString &outputUID, float gain)
{
    std::unique_ptr<AppVolumeTap> tap(new AppVolumeTap(appID, processObjects, outputUID, gain));
    if (!tap->start(audio))
        return nullptr;
    return tap;
}

AppVolumeTap::AppVolumeTap(const QString &appID, const QList<AudioObjectID> &processObjects, const QString &outputUID, float gain)
    : m_appID(appID)
    , m_processObjects(processObjects)
    , m_outputUID(outputUID)
    , m_gain(std::make_shared<std::atomic<float>>(clampedGain(gain)))
{
}

AppVolumeTap::~AppVolumeTap()
{
    stop();
}

bool AppVolumeTap::start(AudioSystem &audio)
{
    AudioTapDescription description;
    description.name = QStringLiteral("Quib volume ") + m_appID;
    description.tapUUID = QUuid::createUuid();
    // Its own identifier, not the tap's: each device of the app is new to
    // the server.
    description.deviceUID = QStringLiteral("com.brenvask.Quib.tap.") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    description.processObjects = m_processObjects;
    description.outputDevice = m_outputUID;
    description.gain = m_gain->load();
    // The block holds the gain cell, not the tap: the backend may run one
    // more cycle while the tap goes away.
    description.render = [gain = m_gain](std::span<const AudioBuffer> input, std::span<const AudioBuffer> output) {
        copy(input, output, gain->load(std::memory_order_relaxed));
    };
    m_tap = audio.createTap(description);
    return m_tap != nullptr;
}

float AppVolumeTap::gain() const
{
    return m_gain->load();
}

void AppVolumeTap::setGain(float gain)
{
    const float clamped = clampedGain(gain);
    m_gain->store(clamped);
    if (m_tap)
        m_tap->setGain(clamped);
}

void AppVolumeTap::stop()
{
    m_tap.reset();
}

void AppVolumeTap::copy(std::span<const AudioBuffer> input, std::span<const AudioBuffer> output, float gain)
{
    std::size_t inputChannels = 0;
    for (const AudioBuffer &buffer : input)
        inputChannels += buffer.numberChannels;

    std::size_t k = 0;
    for (const AudioBuffer &out : output) {
        if (!out.data)
            continue;
        const std::size_t outStride = std::max<std::size_t>(out.numberChannels, 1);
        const std::size_t frames = out.dataByteSize / (outStride * sizeof(float));
        for (std::size_t channel = 0; channel < outStride; ++channel, ++k) {
            std::size_t copied = 0;
            if (k < inputChannels) {
                // Input channel k, counted across the input buffers.
                std::size_t r = k;
                for (const AudioBuffer &in : input) {
                    if (in.numberChannels <= r) {
                        r -= in.numberChannels;
                        continue;
                    }
                    // A buffer without data holds the channel but gives
                    // nothing to read: the channel stays silent.
                    if (in.data) {
                        const std::size_t inStride = std::max<std::size_t>(in.numberChannels, 1);
                        const std::size_t inFrames = in.dataByteSize / (inStride * sizeof(float));
                        copied = std::min(inFrames, frames);
                        for (std::size_t frame = 0; frame < copied; ++frame)
                            out.data[frame * outStride + channel] = in.data[frame * inStride + r] * gain;
                    }
                    break;
                }
            }
            for (std::size_t frame = copied; frame < frames; ++frame)
                out.data[frame * outStride + channel] = 0.0f;
        }
    }
}
