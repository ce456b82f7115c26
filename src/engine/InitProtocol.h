#pragma once

namespace ZQ {

// The setUp/tearDown pair shared by models, render passes, shader programs,
// controllers and the caption and model boxes.
class InitProtocol {
public:
    virtual void setUp() = 0;
    virtual void tearDown() = 0;

protected:
    ~InitProtocol() = default;
};

} // namespace ZQ
