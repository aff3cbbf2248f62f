#pragma once

class MetadataPresetManager;
class TemplateEditor;

// The shared stores a window offers in its menus. The application controller creates them
// and hands them to every window; a window without one offers none of its entries.
struct WindowStores
{
    MetadataPresetManager *presets = nullptr;
    TemplateEditor *templates = nullptr;
};
