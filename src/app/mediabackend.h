#pragma once

// Qt Multimedia's FFmpeg backend plays the help videos where the default one stays on the first
// frame; it is chosen when installed, unless the environment chose a backend already. Call before
// the first media object exists.
void preferFfmpegMediaBackend();
