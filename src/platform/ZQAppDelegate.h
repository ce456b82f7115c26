#pragma once

class ZQView;

// The application's life cycle as the window system reports it, passed on to
// the view: losing the focus resigns active (the frames stop), gaining it
// becomes active (the frames start, a running level pauses), minimising
// enters the background (memory is released) and restoring returns to the
// foreground. A test derives from it to record the calls.
//
// Ownership: refers to the view, owns nothing. Threads: main thread only.
class ZQAppDelegate {
public:
    explicit ZQAppDelegate(ZQView& view) : view(view) {}
    virtual ~ZQAppDelegate() = default;
    ZQAppDelegate(const ZQAppDelegate&) = delete;
    ZQAppDelegate& operator=(const ZQAppDelegate&) = delete;

    virtual void applicationWillResignActive();
    virtual void applicationDidBecomeActive();
    virtual void applicationDidEnterBackground();
    virtual void applicationWillEnterForeground();

protected:
    ZQView& view;
};
