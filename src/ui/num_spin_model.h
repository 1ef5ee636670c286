#pragma once

// CZNNumSpinModel: the arithmetic of the numeric spin control, free of any widget: a double
// value range with a step, the integer positions of the arrow control (0 .. range steps, at most
// the largest short), the value's text and the arrow rule. The value itself lives as text in the buddy edit;
// texts read as numbers the way atof reads them ("abc" is 0).
#include <cstdint>
#include <limits>
#include <string>

class CZNNumSpinModel
{
public:
    static constexpr int kMaxRangeSteps = std::numeric_limits<int16_t>::max();

    // Stores the three. With a step other than 0 the positions become |span / step| (at most
    // kMaxRangeSteps) and the position is set from value; a step of 0 leaves positions and position alone.
    void SetRange(double minimum, double maximum, double step, double value);
    double GetMin() const { return m_Min; }
    double GetMax() const { return m_Max; }
    double GetStep() const { return m_Step; }
    int GetRangeSteps() const { return m_RangeSteps; }

    // The position of a value: 0 below the minimum, range steps from the maximum up, else
    // rounded in between. Nothing changes while the maximum is not above the minimum.
    void SetPos(double value);
    int GetPos() const { return m_Pos; }
    // Moves the position by delta positions, kept within 0 .. range steps.
    void MovePos(int delta);

    // Digits after the point; -1 writes the shortest form ("%g").
    void SetPrecision(int decimals) { m_Decimals = decimals; }
    int GetPrecision() const { return m_Decimals; }
    // A printf format for one double, used instead of the decimals; empty clears it.
    void SetFormat(const std::string &format) { m_Format = format; }
    std::string FormatValue(double value) const;
    static double ParseValue(const std::string &text);

    // The value after an arrow of delta steps from value: going up it stops at the maximum,
    // going down at the minimum; the other bound is not applied.
    double ArrowValue(double value, int delta) const;

private:
    double m_Min = 0.0;
    double m_Max = 100.0;
    double m_Step = 1.0;
    int m_RangeSteps = 100;
    int m_Pos = 0;
    int m_Decimals = -1;
    std::string m_Format;
};
