<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>orvane</name>
    <message>
        <source>左键移动位置右键删除</source>
        <translation>Drag with the left button to move, right-click to delete</translation>
    </message>
    <message>
        <source>点击右键删除</source>
        <translation>Right-click to delete</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Open Form Screen</source>
        <translation>Measure the screen</translation>
    </message>
    <message>
        <source>Open From clipboard</source>
        <translation>Open from clipboard</translation>
    </message>
    <message>
        <source>Open From file</source>
        <translation>Open from file</translation>
    </message>
    <message>
        <source>Free For Commercial images </source>
        <translation>Free images for commercial use</translation>
    </message>
    <message>
        <source>Transparent Background color</source>
        <translation>Transparent background</translation>
    </message>
    <message>
        <source>Change Background color</source>
        <translation>Change background color</translation>
    </message>
    <message>
        <source>Web color</source>
        <translation>Web color code</translation>
    </message>
    <message>
        <source>RGB color</source>
        <translation>RGB color code</translation>
    </message>
    <message>
        <source>Drag</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>no picture in clipboard</source>
        <translation>There is no picture in the clipboard.</translation>
    </message>
    <message>
        <source>Left-click to display the window</source>
        <translation>Click to open the menu</translation>
    </message>
</context>
</TS>
