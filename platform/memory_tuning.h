#pragma once
// How the C library's allocator treats this process's memory.

namespace tallyfold {

// Keeps every large block (128 KiB and up) in its own mapping for the life of
// the process. By default the allocator raises that limit each time a large
// block is freed; after a scan has freed its buffers, the listing pane's
// growing arrays then sit in the heap, and each time one doubles the allocator
// copies it whole (about 100 ms at half a million lines, with the window
// frozen). A block in its own mapping grows by remapping, without a copy.
void keepLargeBlocksMapped();

}  // namespace tallyfold
