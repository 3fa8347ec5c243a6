// ISoundClient: what the sound input gives its owner: each buffer taken, and word of a failure to tell the user.
#pragma once

class ISoundClient
{
public:
    // 200 samples of the input in use; the client may change them in place.
    virtual void OnSoundBuffer(short* pSamples) = 0;
    // A failure waits to be told. The client takes it with CSoundInput::TakeErrorText once it is free to show it,
    // never from inside this call (for example from a message it posts to itself), so that a box's own message
    // loop never runs in the middle of a change of input.
    virtual void OnSoundErrorWaiting() = 0;

protected:
    ~ISoundClient() {}
};
