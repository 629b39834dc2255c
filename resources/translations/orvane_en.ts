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
</context>
</TS>
