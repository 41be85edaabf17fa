<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>BookmarkMenu</name>
    <message>
        <source>我的图像</source>
        <translation>My Images</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Pictarn, an image browser for small touch screens.
Lists a folder&apos;s images, or shows the named images.</source>
        <translation>Pictarn, an image browser for small touch screens.
Lists a folder&apos;s images, or shows the named images.</translation>
    </message>
    <message>
        <source>Run as a photo frame over the folders&apos; pictures, full screen, for ever.</source>
        <translation>Run as a photo frame over the folders&apos; pictures, full screen, for ever.</translation>
    </message>
    <message>
        <source>Frame: take in the subfolders too.</source>
        <translation>Frame: take in the subfolders too.</translation>
    </message>
    <message>
        <source>Frame: seconds each picture stays (the slide show&apos;s delay).</source>
        <translation>Frame: seconds each picture stays (the slide show&apos;s delay).</translation>
    </message>
    <message>
        <source>SECONDS</source>
        <translation>SECONDS</translation>
    </message>
    <message>
        <source>Frame: keep the screen dark between these times; a touch wakes it.</source>
        <translation>Frame: keep the screen dark between these times; a touch wakes it.</translation>
    </message>
    <message>
        <source>HH:MM-HH:MM</source>
        <translation>HH:MM-HH:MM</translation>
    </message>
    <message>
        <source>Frame: the newest pictures first, not shuffled.</source>
        <translation>Frame: the newest pictures first, not shuffled.</translation>
    </message>
    <message>
        <source>Frame: change pictures at once, without a crossfade.</source>
        <translation>Frame: change pictures at once, without a crossfade.</translation>
    </message>
    <message>
        <source>A folder to list, or images to show.</source>
        <translation>A folder to list, or images to show.</translation>
    </message>
    <message>
        <source>[FOLDER | IMAGE...]</source>
        <translation>[FOLDER | IMAGE...]</translation>
    </message>
    <message>
        <source>%1
Names that start with &apos;-&apos; go after &apos;--&apos;: pictarn -- NAME...</source>
        <translation>%1
Names that start with &apos;-&apos; go after &apos;--&apos;: pictarn -- NAME...</translation>
    </message>
    <message>
        <source>--interval takes a number of seconds (0 to 86400)</source>
        <translation>--interval takes a number of seconds (0 to 86400)</translation>
    </message>
    <message>
        <source>--blank takes two times, like 22:30-07:00</source>
        <translation>--blank takes two times, like 22:30-07:00</translation>
    </message>
    <message>
        <source>%1: no such file or folder (the folder it was started in is gone)</source>
        <translation>%1: no such file or folder (the folder it was started in is gone)</translation>
    </message>
</context>
<context>
    <name>FileOperations</name>
    <message>
        <source>The folder has changed since it was listed</source>
        <translation>The folder has changed since it was listed</translation>
    </message>
    <message>
        <source>The file is gone</source>
        <translation>The file is gone</translation>
    </message>
    <message>
        <source>The name is empty</source>
        <translation>The name is empty</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a file name</source>
        <translation>&quot;%1&quot; is not a file name</translation>
    </message>
    <message>
        <source>A name cannot hold &quot;/&quot;</source>
        <translation>A name cannot hold &quot;/&quot;</translation>
    </message>
    <message>
        <source>There is no folder %1</source>
        <translation>There is no folder %1</translation>
    </message>
    <message>
        <source>The name is too long</source>
        <translation>The name is too long</translation>
    </message>
    <message>
        <source>%1 already exists</source>
        <translation>%1 already exists</translation>
    </message>
    <message>
        <source>%1 is in that folder already</source>
        <translation>%1 is in that folder already</translation>
    </message>
    <message>
        <source>%1 already exists there</source>
        <translation>%1 already exists there</translation>
    </message>
    <message>
        <source>%1 is another file now</source>
        <translation>%1 is another file now</translation>
    </message>
</context>
<context>
    <name>FrameMode</name>
    <message>
        <source>the frame needs a folder: pictarn --frame FOLDER...</source>
        <translation>the frame needs a folder: pictarn --frame FOLDER...</translation>
    </message>
    <message>
        <source>%1: no such folder (yet)</source>
        <translation>%1: no such folder (yet)</translation>
    </message>
</context>
<context>
    <name>ImageListView</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Size</translation>
    </message>
</context>
<context>
    <name>ImageViewer</name>
    <message>
        <source>Menu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Fit to screen</source>
        <translation>Fit to screen</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Rotate</translation>
    </message>
    <message>
        <source>Brighter</source>
        <translation>Brighter</translation>
    </message>
    <message>
        <source>Darker</source>
        <translation>Darker</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>Propertis   </source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>Full Screen </source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>Exit  </source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Rotate 90</source>
        <translation>Rotate 90</translation>
    </message>
    <message>
        <source>Rotate 180</source>
        <translation>Rotate 180</translation>
    </message>
    <message>
        <source>Rotate 270</source>
        <translation>Rotate 270</translation>
    </message>
    <message>
        <source>Rotate Best Fit</source>
        <translation>Rotate Best Fit</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source> image</source>
        <translation> image</translation>
    </message>
    <message>
        <source>bytes</source>
        <translation>bytes</translation>
    </message>
    <message>
        <source>Kb</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>%1 colors</source>
        <translation>%1 colours</translation>
    </message>
    <message>
        <source>True color</source>
        <translation>True colour</translation>
    </message>
    <message>
        <source>Zooming in...</source>
        <translation>Zooming in...</translation>
    </message>
    <message>
        <source>Zooming out...</source>
        <translation>Zooming out...</translation>
    </message>
    <message>
        <source>Zooming...</source>
        <translation>Zooming...</translation>
    </message>
    <message>
        <source>文件名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>格式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>尺寸</source>
        <translation>Dimensions</translation>
    </message>
    <message>
        <source>颜色</source>
        <translation>Colours</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Taken:</source>
        <translation>Taken:</translation>
    </message>
    <message>
        <source>Camera:</source>
        <translation>Camera:</translation>
    </message>
    <message>
        <source>Exposure:</source>
        <translation>Exposure:</translation>
    </message>
    <message>
        <source>Aperture:</source>
        <translation>Aperture:</translation>
    </message>
    <message>
        <source>ISO:</source>
        <translation>ISO:</translation>
    </message>
    <message>
        <source>Focal length:</source>
        <translation>Focal length:</translation>
    </message>
    <message>
        <source>GPS:</source>
        <translation>GPS:</translation>
    </message>
</context>
<context>
    <name>KeysHelp</name>
    <message>
        <source>Keys and gestures</source>
        <translation>Keys and gestures</translation>
    </message>
    <message>
        <source>Escape or a tap closes this.</source>
        <translation>Escape or a tap closes this.</translation>
    </message>
    <message>
        <source>F1, ?</source>
        <translation>F1, ?</translation>
    </message>
    <message>
        <source>This help</source>
        <translation>This help</translation>
    </message>
    <message>
        <source>Tap, Space, Return</source>
        <translation>Tap, Space, Return</translation>
    </message>
    <message>
        <source>Open the picture</source>
        <translation>Open the picture</translation>
    </message>
    <message>
        <source>Arrow keys</source>
        <translation>Arrow keys</translation>
    </message>
    <message>
        <source>Move the selection</source>
        <translation>Move the selection</translation>
    </message>
    <message>
        <source>Home, End</source>
        <translation>Home, End</translation>
    </message>
    <message>
        <source>First, last picture</source>
        <translation>First, last picture</translation>
    </message>
    <message>
        <source>Drag a finger</source>
        <translation>Drag a finger</translation>
    </message>
    <message>
        <source>Scroll</source>
        <translation>Scroll</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Delete the picture (after a question)</source>
        <translation>Delete the picture (after a question)</translation>
    </message>
    <message>
        <source>F2</source>
        <translation>F2</translation>
    </message>
    <message>
        <source>Rename the picture</source>
        <translation>Rename the picture</translation>
    </message>
    <message>
        <source>F5</source>
        <translation>F5</translation>
    </message>
    <message>
        <source>Read the folders again</source>
        <translation>Read the folders again</translation>
    </message>
    <message>
        <source>F11</source>
        <translation>F11</translation>
    </message>
    <message>
        <source>The picture full screen</source>
        <translation>The picture full screen</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Open a folder</source>
        <translation>Open a folder</translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation>Ctrl+Z</translation>
    </message>
    <message>
        <source>Undo the last delete or rename</source>
        <translation>Undo the last delete or rename</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Right, Page Down, Space; swipe left</source>
        <translation>Right, Page Down, Space; swipe left</translation>
    </message>
    <message>
        <source>Next picture</source>
        <translation>Next picture</translation>
    </message>
    <message>
        <source>Left, Page Up, BackSpace; swipe right</source>
        <translation>Left, Page Up, BackSpace; swipe right</translation>
    </message>
    <message>
        <source>Previous picture</source>
        <translation>Previous picture</translation>
    </message>
    <message>
        <source>+, -; Ctrl+wheel</source>
        <translation>+, -; Ctrl+wheel</translation>
    </message>
    <message>
        <source>Zoom in, out</source>
        <translation>Zoom in, out</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>Fit to the screen</source>
        <translation>Fit to the screen</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>Full size</source>
        <translation>Full size</translation>
    </message>
    <message>
        <source>Drag; arrow keys</source>
        <translation>Drag; arrow keys</translation>
    </message>
    <message>
        <source>Move a zoomed picture</source>
        <translation>Move a zoomed picture</translation>
    </message>
    <message>
        <source>Escape, Return</source>
        <translation>Escape, Return</translation>
    </message>
    <message>
        <source>Close the viewer</source>
        <translation>Close the viewer</translation>
    </message>
    <message>
        <source>Tap, Escape</source>
        <translation>Tap, Escape</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Tap</source>
        <translation>Tap</translation>
    </message>
    <message>
        <source>Show or hide the control bar</source>
        <translation>Show or hide the control bar</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>Pause, resume</source>
        <translation>Pause, resume</translation>
    </message>
    <message>
        <source>Right, Down, Return; swipe left</source>
        <translation>Right, Down, Return; swipe left</translation>
    </message>
    <message>
        <source>Left, Up; swipe right</source>
        <translation>Left, Up; swipe right</translation>
    </message>
    <message>
        <source>Previous picture (and pause)</source>
        <translation>Previous picture (and pause)</translation>
    </message>
    <message>
        <source>Escape</source>
        <translation>Escape</translation>
    </message>
    <message>
        <source>End the show</source>
        <translation>End the show</translation>
    </message>
</context>
<context>
    <name>PathChooser</name>
    <message>
        <source>Choose path:      </source>
        <translation>Choose a folder:</translation>
    </message>
    <message>
        <source>Directory</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Folders</translation>
    </message>
</context>
<context>
    <name>Pictarn</name>
    <message>
        <source>Menu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Open dir    </source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>Clear list  </source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>Slide Type  </source>
        <translation>Slide show</translation>
    </message>
    <message>
        <source>Rename   </source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>About </source>
        <translation>About</translation>
    </message>
    <message>
        <source>Exit  </source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Bookmarks</source>
        <translation>Bookmarks</translation>
    </message>
    <message>
        <source>Thumbnails</source>
        <translation>Thumbnails</translation>
    </message>
    <message>
        <source>List</source>
        <translation>List</translation>
    </message>
    <message>
        <source>SlideShow</source>
        <translation>Slide show</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Set   </source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Full screen </source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>Show FullScreen</source>
        <translation>Show full screen</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>New Name: </source>
        <translation>New name:</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 moved to %2</source>
        <translation>%1 moved to %2</translation>
    </message>
    <message>
        <source>%1 renamed to %2</source>
        <translation>%1 renamed to %2</translation>
    </message>
    <message>
        <source>%1 was not put back: %2</source>
        <translation>%1 was not put back: %2</translation>
    </message>
    <message>
        <source>%1 is back</source>
        <translation>%1 is back</translation>
    </message>
    <message>
        <source>Delete         
</source>
        <translation>Delete
</translation>
    </message>
    <message>
        <source> ?</source>
        <translation>?</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1 cannot go to the trash:
%2</source>
        <translation>%1 cannot go to the trash:
%2</translation>
    </message>
    <message>
        <source>Delete permanently</source>
        <translation>Delete permanently</translation>
    </message>
    <message>
        <source>%1 was not deleted:
%2</source>
        <translation>%1 was not deleted:
%2</translation>
    </message>
    <message>
        <source>  Ok  </source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1 moved to the trash</source>
        <translation>%1 moved to the trash</translation>
    </message>
    <message>
        <source>%1 deleted</source>
        <translation>%1 deleted</translation>
    </message>
    <message>
        <source>Keys and gestures</source>
        <translation>Keys and gestures</translation>
    </message>
    <message>
        <source>Images</source>
        <translation>Images</translation>
    </message>
    <message>
        <source>Copy to</source>
        <translation>Copy to</translation>
    </message>
    <message>
        <source>Move to</source>
        <translation>Move to</translation>
    </message>
    <message>
        <source>%1 was not copied:
%2</source>
        <translation>%1 was not copied:
%2</translation>
    </message>
    <message>
        <source>%1 was not moved:
%2</source>
        <translation>%1 was not moved:
%2</translation>
    </message>
    <message>
        <source>%1 copied to %2</source>
        <translation>%1 copied to %2</translation>
    </message>
    <message>
        <source>The copy of %1 is removed</source>
        <translation>The copy of %1 is removed</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Licence: %1</source>
        <translation>Licence: %1</translation>
    </message>
    <message>
        <source>Keys and help: %1, &quot;Keys and taps&quot;</source>
        <translation>Keys and help: %1, &quot;Keys and taps&quot;</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Pictarn</source>
        <translation>Pictarn</translation>
    </message>
    <message>
        <source>pictures missing from the data directory %1: %2</source>
        <translation>pictures missing from the data directory %1: %2</translation>
    </message>
    <message>
        <source>Pictarn - %1</source>
        <translation>Pictarn - %1</translation>
    </message>
    <message numerus="yes">
        <source>Pictarn - %n folders</source>
        <translation>
            <numerusform>Pictarn - %n folder</numerusform>
            <numerusform>Pictarn - %n folders</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: neither a folder nor an image</source>
        <translation>%1: neither a folder nor an image</translation>
    </message>
    <message>
        <source>%1: no such file or folder</source>
        <translation>%1: no such file or folder</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Set   </source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Thumbnail</source>
        <translation>Thumbnails</translation>
    </message>
    <message>
        <source>Slide Type  </source>
        <translation>Slide show</translation>
    </message>
    <message>
        <source>Set bookmark</source>
        <translation>Bookmarks</translation>
    </message>
    <message>
        <source>Set thumbnail </source>
        <translation>Thumbnails</translation>
    </message>
    <message>
        <source>View Pics Size    </source>
        <translation>Show picture sizes</translation>
    </message>
    <message>
        <source>View document role</source>
        <translation>Show file endings</translation>
    </message>
    <message>
        <source>Save icons  </source>
        <translation>Keep thumbnails</translation>
    </message>
    <message>
        <source>Greater than:  </source>
        <translation>Larger than:</translation>
    </message>
    <message>
        <source> Kb</source>
        <translation> KB</translation>
    </message>
    <message>
        <source>Set Slde Type     </source>
        <translation>Set Slide Type</translation>
    </message>
    <message>
        <source>Changing Time: </source>
        <translation>Time per slide:</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Screen Setting </source>
        <translation>Show the control bar</translation>
    </message>
    <message>
        <source>Rotate Type </source>
        <translation>Turn to fit</translation>
    </message>
    <message>
        <source>Pics Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Path: </source>
        <translation>Path:</translation>
    </message>
    <message>
        <source>Pics name   </source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Pash:    </source>
        <translation>Path:</translation>
    </message>
    <message>
        <source>Add  </source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Save </source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Path     </source>
        <translation>Path</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Page</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>Empty trash</source>
        <translation>Empty trash</translation>
    </message>
    <message>
        <source>Start as a photo frame</source>
        <translation>Start as a photo frame</translation>
    </message>
    <message>
        <source>Folders, one a line</source>
        <translation>Folders, one a line</translation>
    </message>
    <message>
        <source>With subfolders</source>
        <translation>With subfolders</translation>
    </message>
    <message>
        <source>Shuffled</source>
        <translation>Shuffled</translation>
    </message>
    <message>
        <source>Newest first</source>
        <translation>Newest first</translation>
    </message>
    <message>
        <source>Dark HH:MM-HH:MM</source>
        <translation>Dark HH:MM-HH:MM</translation>
    </message>
    <message>
        <source>Crossfade</source>
        <translation>Crossfade</translation>
    </message>
    <message>
        <source>Interval: the slide show&apos;s</source>
        <translation>Interval: the slide show&apos;s</translation>
    </message>
    <message>
        <source>The trash holds no picture that Pictarn put there.</source>
        <translation>The trash holds no picture that Pictarn put there.</translation>
    </message>
    <message numerus="yes">
        <source>Remove %n picture(s) that Pictarn put in the trash (%1) for good?</source>
        <translation>
            <numerusform>Remove %n picture that Pictarn put in the trash (%1) for good?</numerusform>
            <numerusform>Remove %n pictures that Pictarn put in the trash (%1) for good?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n picture(s) removed, %1 freed.</source>
        <translation>
            <numerusform>%n picture removed, %1 freed.</numerusform>
            <numerusform>%n pictures removed, %1 freed.</numerusform>
        </translation>
    </message>
    <message>
        <source>Order of the pictures</source>
        <translation>Order of the pictures</translation>
    </message>
    <message>
        <source>Dark hours, HH:MM-HH:MM</source>
        <translation>Dark hours, HH:MM-HH:MM</translation>
    </message>
</context>
<context>
    <name>SlideShow</name>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Pause, resume</source>
        <translation>Pause, resume</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Next</translation>
    </message>
</context>
<context>
    <name>SortMenu</name>
    <message>
        <source>Sort by</source>
        <translation>Sort by</translation>
    </message>
    <message>
        <source>Reversed</source>
        <translation>Reversed</translation>
    </message>
</context>
<context>
    <name>SortOrder</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Date taken</source>
        <translation>Date taken</translation>
    </message>
    <message>
        <source>File date</source>
        <translation>File date</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Size</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>no screen to show on with the &quot;%1&quot; platform (is the display or framebuffer device there?)</source>
        <translation>no screen to show on with the &quot;%1&quot; platform (is the display or framebuffer device there?)</translation>
    </message>
</context>
<context>
    <name>TransferMenu</name>
    <message>
        <source>Choose folder...</source>
        <translation>Choose folder...</translation>
    </message>
</context>
<context>
    <name>Trash</name>
    <message>
        <source>The folder has changed since it was listed</source>
        <translation>The folder has changed since it was listed</translation>
    </message>
    <message>
        <source>Another %1 is there now: both are kept</source>
        <translation>Another %1 is there now: both are kept</translation>
    </message>
</context>
<context>
    <name>UTIL_CST</name>
    <message>
        <source>Menu</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>UndoBar</name>
    <message>
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
</context>
<context>
    <name>ZoomPopup</name>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Zoom %1% </source>
        <translation>Zoom %1%</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>Full size</source>
        <translation>Full size</translation>
    </message>
</context>
</TS>
