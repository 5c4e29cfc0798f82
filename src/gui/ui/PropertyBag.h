#pragma once
// The container's store of a control's design-time properties: named values
// with defaults. A value equal to its default is not written.
#include <QMap>
#include <QString>
#include <QVariant>

class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const = 0;
    virtual void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue) = 0;
};

// A property store held in memory, e.g. a form's saved design.
class MemoryPropertyBag : public PropertyBag {
public:
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const override
    {
        return values.value(name, defaultValue);
    }
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue) override
    {
        if (value == defaultValue)
            values.remove(name);
        else
            values.insert(name, value);
    }
    QMap<QString, QVariant> values;
};
