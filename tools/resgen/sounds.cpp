#include "tools/resgen/sounds.h"

#include "tools/resgen/wavfile.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace resgen {
namespace {

constexpr double Pi = 3.14159265358979323846;

// Builds a sound piece by piece; the oscillator phase runs on across pieces
// so that changes of pitch do not click.
class Synth {
public:
    // A tone of `seconds` whose frequency and loudness (0..1) may change over
    // the piece (t runs from 0 to 1), with short fades at both ends.
    void tone(double seconds, const std::function<double(double)>& frequency, double level, double brightness)
    {
        const int count = int(std::lround(seconds * SampleRate));
        const int fade = std::min(count / 4, int(0.006 * SampleRate));
        for (int i = 0; i < count; ++i) {
            const double t = count > 1 ? double(i) / (count - 1) : 0.0;
            m_phase += 2 * Pi * frequency(t) / SampleRate;
            double v = std::sin(m_phase) + brightness * (std::sin(3 * m_phase) / 3 + std::sin(5 * m_phase) / 5);
            v /= 1 + brightness * (1.0 / 3 + 1.0 / 5);
            double envelope = 1.0;
            if (i < fade)
                envelope = double(i) / fade;
            else if (i >= count - fade)
                envelope = double(count - 1 - i) / fade;
            push(v * envelope * level);
        }
    }

    void silence(double seconds)
    {
        const int count = int(std::lround(seconds * SampleRate));
        for (int i = 0; i < count; ++i)
            push(0.0);
        m_phase = 0;
    }

    QByteArray wav() const { return wavfile::pcm16Mono(m_samples, SampleRate); }

private:
    void push(double v)
    {
        const double clamped = std::clamp(v, -1.0, 1.0);
        m_samples.push_back(qint16(std::lround(clamped * 32767)));
    }

    std::vector<qint16> m_samples;
    double m_phase = 0;
};

std::function<double(double)> steady(double hz)
{
    return [hz](double) { return hz; };
}

// Two short beeps a fifth apart, twice: about 0.7 s, made to be repeated.
QByteArray alarm1()
{
    Synth s;
    for (int round = 0; round < 2; ++round) {
        s.tone(0.13, steady(988), 0.55, 0.6);
        s.silence(0.03);
        s.tone(0.13, steady(1319), 0.55, 0.6);
        s.silence(0.06);
    }
    return s.wav();
}

// A bell-like trill between two pitches, rising slightly: about 0.7 s.
QByteArray alarm2()
{
    Synth s;
    const double trill = 18.0; // alternations per second
    for (int burst = 0; burst < 2; ++burst) {
        s.tone(
            0.30,
            [trill](double t) {
                const double along = t * 0.30 * trill;
                const double base = 1250 + 150 * t;
                return (int(along) % 2 == 0) ? base : base * 1.25;
            },
            0.5, 0.25);
        s.silence(0.05);
    }
    return s.wav();
}

// The hourly pip: 1 kHz for a fifth of a second, then a short rest.
QByteArray hourBeep()
{
    Synth s;
    s.tone(0.20, steady(1000), 0.5, 0.0);
    s.silence(0.05);
    return s.wav();
}

} // namespace

QStringList soundNames() { return {QStringLiteral("alarm1"), QStringLiteral("alarm2"), QStringLiteral("hourbeep")}; }

QByteArray makeSound(const QString& name)
{
    if (name == QLatin1String("alarm1"))
        return alarm1();
    if (name == QLatin1String("alarm2"))
        return alarm2();
    if (name == QLatin1String("hourbeep"))
        return hourBeep();
    return {};
}

} // namespace resgen
