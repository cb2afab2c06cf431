import chronexa

def test_import():
    assert chronexa.__all__[:2] == ["Weekday", "Date"]
