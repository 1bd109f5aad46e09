"""What a screen reader should get from the window on every platform: the labels in the window's tab
order, the value labels described by the sex and measure they stand under, the selected age checked."""

# Each value label's description: the photo's sex caption and its block's heading, as the window shows them.
DESCRIPTIONS = {
    "Label70": "男 身高（单位cm）",
    "Label80": "女 身高（单位cm）",
    "Label50": "男 体重（单位kg ）",
    "Label60": "女 体重（单位kg ）",
}


def labels_in_reading_order(layout):
    """The labels by rising tab index: the title, the ages from "1月" (the exit among them), the
    headings and sex captions, the value labels, the age caption, the credits line."""
    return sorted((c for c in layout.controls if c["kind"] == "label"), key=lambda c: c["tabIndex"])


def description_of(label):
    return DESCRIPTIONS.get(label["name"], "") if label["index"] == -1 else ""
