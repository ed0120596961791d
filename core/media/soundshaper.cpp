#include "core/media/soundshaper.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

int PcmLayout::bytesPerSample() const
{
    switch (kind) {
    case SampleKind::UInt8:
        return 1;
    case SampleKind::Int16:
        return 2;
    case SampleKind::Int32:
    case SampleKind::Float:
        return 4;
    }
    return 2;
}

bool PcmLayout::valid() const
{
    return sampleRate >= 1000 && sampleRate <= 384000 && channels >= 1 && channels <= 32;
}

double sampleLevel(const char *sample, SampleKind kind)
{
    switch (kind) {
    case SampleKind::UInt8:
        return std::abs(int(quint8(*sample)) - 128) / 128.0;
    case SampleKind::Int16:
        return std::abs(int(qFromLittleEndian<qint16>(sample))) / 32768.0;
    case SampleKind::Int32:
        return std::abs(double(qFromLittleEndian<qint32>(sample))) / 2147483648.0;
    case SampleKind::Float: {
        const float value = qFromLittleEndian<float>(sample);
        // Not a number is no sound; an infinite sample is full scale.
        return std::isnan(value) ? 0.0 : std::min(std::abs(double(value)), 1e6);
    }
    }
    return 0;
}

void scaleSamples(char *data, qint64 size, SampleKind kind, double gain)
{
    if (!data || size <= 0 || !std::isfinite(gain))
        return;
    switch (kind) {
    case SampleKind::UInt8:
        for (qint64 i = 0; i < size; ++i) {
            const double v = std::round((int(quint8(data[i])) - 128) * gain);
            data[i] = char(quint8(std::clamp(v, -128.0, 127.0) + 128));
        }
        break;
    case SampleKind::Int16:
        for (qint64 i = 0; i + 2 <= size; i += 2) {
            const double v = std::round(qFromLittleEndian<qint16>(data + i) * gain);
            qToLittleEndian<qint16>(qint16(std::clamp(v, -32768.0, 32767.0)), data + i);
        }
        break;
    case SampleKind::Int32:
        for (qint64 i = 0; i + 4 <= size; i += 4) {
            const double v = std::round(qFromLittleEndian<qint32>(data + i) * gain);
            qToLittleEndian<qint32>(qint32(std::clamp(v, -2147483648.0, 2147483647.0)), data + i);
        }
        break;
    case SampleKind::Float:
        for (qint64 i = 0; i + 4 <= size; i += 4) {
            const float value = qFromLittleEndian<float>(data + i);
            // Measured as sampleLevel() measures it, so that the peak
            // found is the peak brought to the target.
            const double v = std::isnan(value) ? 0.0 : std::clamp(double(value), -1e6, 1e6) * gain;
            qToLittleEndian<float>(float(std::clamp(v, -1.0, 1.0)), data + i);
        }
        break;
    }
}

SoundScan::SoundScan(const PcmLayout &layout) : m_layout(layout)
{
    if (m_layout.valid())
        m_samplesPerBlock = std::max(1, m_layout.sampleRate / 1000) * m_layout.channels;
}

double SoundScan::toDb(double level)
{
    return level > 0 ? 20 * std::log10(level) : -200;
}

double SoundScan::fromDb(double db)
{
    return std::pow(10.0, db / 20);
}

double SoundScan::take(const char *data, qint64 size)
{
    if (!data || size <= 0 || !m_layout.valid())
        return 0;
    const int bytes = m_layout.bytesPerSample();
    double piecePeak = 0;
    auto one = [&](const char *sample) {
        const double level = sampleLevel(sample, m_layout.kind);
        piecePeak = std::max(piecePeak, level);
        m_blockPeak = std::max(m_blockPeak, float(level));
        ++m_samples;
        if (++m_inBlock == m_samplesPerBlock)
            closeBlock();
    };
    qint64 at = 0;
    // A sample split between two pieces is put together first.
    while (m_partialBytes > 0 && at < size) {
        m_partial[m_partialBytes++] = data[at++];
        if (m_partialBytes == bytes) {
            one(m_partial);
            m_partialBytes = 0;
        }
    }
    for (; at + bytes <= size; at += bytes)
        one(data + at);
    while (at < size)
        m_partial[m_partialBytes++] = data[at++];
    m_peak = std::max(m_peak, piecePeak);
    return piecePeak;
}

void SoundScan::closeBlock()
{
    m_blockPeaks.push_back(m_blockPeak);
    m_blockPeak = 0;
    m_inBlock = 0;
}

SoundShape SoundScan::shape() const
{
    SoundShape shape;
    const qint64 total = frames();
    if (m_peak < fromDb(SilenceDb) || total <= 0)
        return shape;
    shape.silent = false;
    const float threshold = float(std::max(fromDb(SilenceDb), m_peak * fromDb(SoundBelowPeakDb)));
    std::vector<float> blocks = m_blockPeaks;
    if (m_inBlock > 0)
        blocks.push_back(m_blockPeak);
    const auto loud = [threshold](float peak) { return peak >= threshold; };
    const auto first = std::find_if(blocks.begin(), blocks.end(), loud);
    const auto last = std::find_if(blocks.rbegin(), blocks.rend(), loud);
    const qint64 framesPerBlock = m_samplesPerBlock / m_layout.channels;
    const qint64 firstSound = qint64(first - blocks.begin()) * framesPerBlock;
    const qint64 endSound = qint64(blocks.rend() - last) * framesPerBlock;
    const qint64 rate = m_layout.sampleRate;
    shape.firstFrame = std::max<qint64>(0, firstSound - rate * LeadMs / 1000);
    shape.endFrame = std::min<qint64>(total, endSound + rate * TailMs / 1000);
    shape.gain = fromDb(TargetPeakDb) / m_peak;
    return shape;
}
